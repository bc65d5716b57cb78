#pragma once
#include "framework/afxwin_base.h"

#include <commdlg.h>

// The platform's print dialog, or its print-setup dialog. The printer
// context that the dialog returns (or CreatePrinterDC makes) belongs to this
// object. The printer choice it starts from and hands back, m_pd.hDevMode
// and m_pd.hDevNames, belongs to the application, which lends it for the
// dialog and takes it back (CWinApp::DoPrintDialog).
class CPrintDialog {
public:
    // The print dialog's flags (the print-setup dialog takes none): all pages
    // at first, no selection to print, copies left to the printer, and no
    // printing to a file, which the program has no way to name.
    explicit CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIESANDCOLLATE |
                                                                PD_NOSELECTION | PD_HIDEPRINTTOFILE);
    ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // Shows the dialog: IDOK, or IDCANCEL when it was cancelled or failed
    // (CommDlgExtendedError then tells which).
    INT_PTR DoModal();
    HDC GetPrinterDC() const { return m_pd.hDC; }
    // A context for the printer that m_pd's DEVNAMES and DEVMODE describe,
    // without a dialog; null when that printer cannot be reached.
    HDC CreatePrinterDC();
    // The printer's name as DEVNAMES gives it.
    CString GetDeviceName() const;

    PRINTDLGW m_pd{};

private:
    void DeletePrinterDC();
};
