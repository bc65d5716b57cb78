#include "framework/CPrintDialog.h"

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
    return PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

CString CPrintDialog::GetDeviceName() const
{
    if (!m_pd.hDevNames) return CString();
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(m_pd.hDevNames));
    if (!names) return CString();
    CString device(reinterpret_cast<const char*>(names) + names->wDeviceOffset);
    GlobalUnlock(m_pd.hDevNames);
    return device;
}

HDC CPrintDialog::CreatePrinterDC()
{
    DeletePrinterDC();
    if (!m_pd.hDevNames) return nullptr;
    const auto* names = static_cast<const DEVNAMES*>(GlobalLock(m_pd.hDevNames));
    if (!names) return nullptr;
    const auto* base = reinterpret_cast<const char*>(names);
    const auto* mode = m_pd.hDevMode ? static_cast<const DEVMODEA*>(GlobalLock(m_pd.hDevMode)) : nullptr;
    m_pd.hDC = CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset, mode);
    if (mode) GlobalUnlock(m_pd.hDevMode);
    GlobalUnlock(m_pd.hDevNames);
    return m_pd.hDC;
}
