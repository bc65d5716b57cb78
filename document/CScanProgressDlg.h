#pragma once
#include "framework/CDialog.h"

// The modeless dialog a drive scan shows while it walks the drive: status
// line, progress bar with a percent text, and a Cancel button. It runs no
// thread; the scan lets it drain the thread's queue so that it stays drawn
// and its Cancel button works. While it exists, its owner is disabled.
class CScanProgressDlg : public CDialog {
public:
    // nCaptionID: string resource for the caption; 0 means "Scanning Drive".
    explicit CScanProgressDlg(UINT nCaptionID = 0);
    ~CScanProgressDlg() override;

    // Disables the top-level window owning pWnd and shows the dialog with pWnd
    // as parent; FALSE (with the owner enabled again) when it cannot be created.
    BOOL Create(CWnd* pWnd);

    void SetRange(int nLower, int nUpper);
    int SetStep(int nStep);
    // These four pump the queue, but at most every kPumpIntervalMs: a pump that
    // finds the queue empty still costs a round trip to the window server.
    // The position operations return the bar's previous position.
    int StepIt();
    int SetPos(int nPos);
    int OffsetPos(int nDelta);
    // Reports a Cancel pressed since the last call, and forgets it.
    BOOL CheckCancel();

    // Shown at once unless the last text went up less than kPumpIntervalMs
    // ago; a text held back appears at the next pump.
    void SetStatusText(const char* pszText);

    // Drains the thread's queue now, whatever the time since the last pump.
    void PumpMessages();

    // For work whose end is not known beforehand (a deletion): the bar makes
    // room for a count text across the dialog, and Cancel reads "Stop".
    void ShowCountInsteadOfBar();
    // The count text, shown as the status text is.
    void SetCountText(const char* pszText);

    // Enables the owner again before the window goes, so that activation
    // returns to it rather than to some other application.
    BOOL DestroyWindow() override;

    static constexpr ULONGLONG kPumpIntervalMs = 30;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void PumpIfDue();
    void UpdatePercent(int nPos);
    void FlushStatusText();
    void ReEnableOwner();
    LRESULT SendToBar(UINT message, WPARAM wParam, LPARAM lParam);

    CWnd m_wndProgress; // control 1003
    UINT m_nCaptionID;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    BOOL m_bCancel = FALSE;
    BOOL m_bOwnerDisabled = FALSE;

    // The top-level window disabled by Create; a plain handle, since the owner
    // need not be a window of the framework.
    HWND m_hWndOwner = nullptr;
    CString m_strStatus;
    BOOL m_bStatusPending = FALSE;
    ULONGLONG m_nLastPumpTick = 0;
    ULONGLONG m_nLastStatusTick = 0;
};
