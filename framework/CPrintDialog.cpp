#include "framework/CPrintDialog.h"

#include "framework/CWnd.h"
#include "framework/Utf16.h"

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags)
{
    m_pd.lStructSize = sizeof(m_pd);
    m_pd.Flags = bPrintSetupOnly ? PD_PRINTSETUP : (dwFlags | PD_RETURNDC);
    // A page count that is not known yet; the job clips the range to the real one.
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = 0xFFFF;
    m_pd.nFromPage = 1;
    m_pd.nToPage = 0xFFFF;
}

CPrintDialog::~CPrintDialog()
{
    DeletePrinterDC();
}

void CPrintDialog::DeletePrinterDC()
{
    if (m_pd.hDC) DeleteDC(m_pd.hDC);
    m_pd.hDC = nullptr;
}

INT_PTR CPrintDialog::DoModal()
{
    DeletePrinterDC();
    const CModalBoxShown shown;
    return PrintDlgW(&m_pd) ? IDOK : IDCANCEL;
}

CString CPrintDialog::GetDeviceName() const
{
    if (!m_pd.hDevNames) return CString();
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(m_pd.hDevNames));
    if (!names) return CString();
    // The offsets count characters from the block's start.
    CString device = WideToUtf8(reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset);
    GlobalUnlock(m_pd.hDevNames);
    return device;
}

HDC CPrintDialog::CreatePrinterDC()
{
    DeletePrinterDC();
    if (!m_pd.hDevNames) return nullptr;
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(m_pd.hDevNames));
    if (!names) return nullptr;
    const auto* base = reinterpret_cast<const wchar_t*>(names);
    const auto* mode = m_pd.hDevMode ? static_cast<const DEVMODEW*>(GlobalLock(m_pd.hDevMode)) : nullptr;
    m_pd.hDC = CreateDCW(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset, mode);
    if (mode) GlobalUnlock(m_pd.hDevMode);
    GlobalUnlock(m_pd.hDevNames);
    return m_pd.hDC;
}
