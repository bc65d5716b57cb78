#include "views/CItemPropertiesDlg.h"

#include "model/CDirEntry.h"
#include "resources/resource.h"

CItemPropertiesDlg::CItemPropertiesDlg() : CDialog(IDD_ITEMPROPERTIES) {}

void CItemPropertiesDlg::SetEntry(const CDirEntry& record, std::int64_t driveTotal)
{
    m_strSpaceUsed = record.GetSizeText();
    m_strItemName = record.GetName();
    m_strItemType = record.GetType();
    m_strLastWritten = record.GetDate();
    m_strPercent = PercentOfDrive(record.GetSize(), driveTotal);
}

CString CItemPropertiesDlg::PercentOfDrive(std::int64_t size, std::int64_t driveTotal)
{
    const double share = driveTotal > 0 ? static_cast<double>(size) / static_cast<double>(driveTotal) * 100.0 : 0.0;
    CString text;
    text.Format("%.0f%%", share);
    return text;
}

void CItemPropertiesDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ITEM_SPACE_USED, m_strSpaceUsed);
    DDX_Text(pDX, IDC_ITEM_NAME, m_strItemName);
    DDX_Text(pDX, IDC_ITEM_PERCENT, m_strPercent);
    DDX_Text(pDX, IDC_ITEM_TYPE, m_strItemType);
    DDX_Text(pDX, IDC_ITEM_LAST_WRITTEN, m_strLastWritten);
}
