#pragma once
#include "framework/CDialog.h"

#include <cstdint>

class CDirEntry;

// The properties of one entry: name, type, size, date and share of the drive.
class CItemPropertiesDlg : public CDialog {
public:
    CItemPropertiesDlg();

    // Fills the fields from a record; the share is always of the drive's total.
    void SetEntry(const CDirEntry& record, std::int64_t driveTotal);
    // "50%": the share of the drive in whole percent; "0%" for a drive of no bytes.
    static CString PercentOfDrive(std::int64_t size, std::int64_t driveTotal);

    CString m_strSpaceUsed;
    CString m_strItemName;
    CString m_strPercent;
    CString m_strItemType;
    CString m_strLastWritten;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};
