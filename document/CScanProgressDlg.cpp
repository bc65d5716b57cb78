#include "document/CScanProgressDlg.h"

#include "resources/resource.h"

#include <cstdint>
#include <string>

namespace {

// Positions and bounds are 32-bit values that callers may push to the edge;
// the arithmetic wraps as a 32-bit machine would instead of overflowing.
int WrapAdd(int a, int b)
{
    return static_cast<int>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

int WrapSub(int a, int b)
{
    return static_cast<int>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

int WrapMul(int a, int b)
{
    return static_cast<int>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace

CScanProgressDlg::CScanProgressDlg(UINT nCaptionID)
    : CDialog(IDD_SCANPROGRESS), m_nCaptionID(nCaptionID != 0 ? nCaptionID : IDS_SCANNING_DRIVE)
{
}

CScanProgressDlg::~CScanProgressDlg()
{
    // Same path as an explicit DestroyWindow, so the owner is enabled first;
    // also enables it when the window already went with its parent.
    CScanProgressDlg::DestroyWindow();
}

BOOL CScanProgressDlg::Create(CWnd* pWnd)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);

    m_hWndOwner = CWnd::GetSafeOwner(pWnd ? pWnd->m_hWnd : nullptr);
    if (m_hWndOwner && ::IsWindowEnabled(m_hWndOwner)) {
        ::EnableWindow(m_hWndOwner, FALSE);
        m_bOwnerDisabled = TRUE;
    }
    if (!CDialog::Create(IDD_SCANPROGRESS, pWnd)) {
        ReEnableOwner();
        return FALSE;
    }
    return TRUE;
}

BOOL CScanProgressDlg::DestroyWindow()
{
    ReEnableOwner();
    return CDialog::DestroyWindow();
}

void CScanProgressDlg::ReEnableOwner()
{
    if (m_bOwnerDisabled && m_hWndOwner && ::IsWindow(m_hWndOwner)) ::EnableWindow(m_hWndOwner, TRUE);
    m_bOwnerDisabled = FALSE;
}

BOOL CScanProgressDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndProgress.SubclassWindow(GetDlgItem(IDC_PROGRESS));
    SendToBar(PBM_SETRANGE, 0, MAKELPARAM(m_nLower, m_nUpper));
    SendToBar(PBM_SETSTEP, static_cast<WPARAM>(m_nStep), 0);
    SendToBar(PBM_SETPOS, static_cast<WPARAM>(m_nLower), 0);
    CString caption;
    caption.LoadFromResource(m_nCaptionID);
    SetWindowText(caption);
    return TRUE;
}

LRESULT CScanProgressDlg::SendToBar(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_wndProgress.m_hWnd) return 0;
    return m_wndProgress.SendMessage(message, wParam, lParam);
}

void CScanProgressDlg::SetRange(int nLower, int nUpper)
{
    m_nLower = nLower;
    m_nUpper = nUpper;
    // The bar takes 16-bit bounds; wider ranges still get the right percent text.
    SendToBar(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}

int CScanProgressDlg::SetStep(int nStep)
{
    m_nStep = nStep;
    return static_cast<int>(SendToBar(PBM_SETSTEP, static_cast<WPARAM>(nStep), 0));
}

int CScanProgressDlg::StepIt()
{
    PumpIfDue();
    int nPrevious = static_cast<int>(SendToBar(PBM_STEPIT, 0, 0));
    UpdatePercent(WrapAdd(nPrevious, m_nStep));
    return nPrevious;
}

int CScanProgressDlg::SetPos(int nPos)
{
    PumpIfDue();
    int nPrevious = static_cast<int>(SendToBar(PBM_SETPOS, static_cast<WPARAM>(nPos), 0));
    UpdatePercent(nPos);
    return nPrevious;
}

int CScanProgressDlg::OffsetPos(int nDelta)
{
    PumpIfDue();
    int nPrevious = static_cast<int>(SendToBar(PBM_DELTAPOS, static_cast<WPARAM>(nDelta), 0));
    UpdatePercent(WrapAdd(nPrevious, nDelta));
    return nPrevious;
}

BOOL CScanProgressDlg::CheckCancel()
{
    PumpIfDue();
    BOOL bCancel = m_bCancel;
    m_bCancel = FALSE;
    return bCancel;
}

void CScanProgressDlg::SetStatusText(const char* pszText)
{
    m_strStatus = pszText;
    m_bStatusPending = TRUE;
    if (::GetTickCount64() - m_nLastStatusTick >= kPumpIntervalMs) FlushStatusText();
}

void CScanProgressDlg::FlushStatusText()
{
    if (!m_bStatusPending || !m_hWnd) return;
    SetWindowTextUtf8(GetDlgItem(IDC_STATUS), m_strStatus);
    m_bStatusPending = FALSE;
    m_nLastStatusTick = ::GetTickCount64();
}

void CScanProgressDlg::ShowCountInsteadOfBar()
{
    if (!m_hWnd) return;
    ::ShowWindow(GetDlgItem(IDC_PROGRESS), SW_HIDE);
    // The count takes the line below the status text, as wide as it.
    RECT status{}, count{};
    ::GetWindowRect(GetDlgItem(IDC_STATUS), &status);
    ::GetWindowRect(GetDlgItem(IDC_PERCENT), &count);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&status), 2);
    ::MapWindowPoints(HWND_DESKTOP, m_hWnd, reinterpret_cast<POINT*>(&count), 2);
    ::MoveWindow(GetDlgItem(IDC_PERCENT), status.left, count.top, status.right - status.left, count.bottom - count.top,
                 TRUE);
    SetWindowTextUtf8(GetDlgItem(IDC_PERCENT), "");
    SetWindowTextUtf8(GetDlgItem(IDCANCEL), "Stop");
}

void CScanProgressDlg::SetCountText(const char* pszText)
{
    if (!m_hWnd) return;
    HWND hCount = GetDlgItem(IDC_PERCENT);
    if (GetWindowTextUtf8(hCount) != pszText) SetWindowTextUtf8(hCount, pszText);
}

void CScanProgressDlg::PumpIfDue()
{
    if (::GetTickCount64() - m_nLastPumpTick >= kPumpIntervalMs) PumpMessages();
}

void CScanProgressDlg::PumpMessages()
{
    // A held-back status text goes up first, so this pump paints it.
    FlushStatusText();
    MSG msg;
    bool bQuit = false;
    WPARAM nExitCode = 0;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        // The quit request belongs to the application's own loop: keep it for
        // that loop instead of swallowing it here.
        if (msg.message == WM_QUIT) {
            bQuit = true;
            nExitCode = msg.wParam;
            continue;
        }
        if (m_hWnd && ::IsDialogMessageW(m_hWnd, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (bQuit) ::PostQuitMessage(static_cast<int>(nExitCode));
    m_nLastPumpTick = ::GetTickCount64();
}

void CScanProgressDlg::UpdatePercent(int nPos)
{
    if (!m_hWnd) return;
    int nSpan = WrapSub(m_nUpper, m_nLower);
    // Equal bounds give no share to show: the text keeps what it shows.
    if (nSpan == 0) return;
    int nScaled = WrapMul(WrapSub(nPos, m_nLower), 100);
    // The one quotient that does not fit in 32 bits wraps like the rest.
    int nPercent = (nSpan == -1) ? WrapSub(0, nScaled) : nScaled / nSpan;
    // Only exactly 100 shows as such; positions past the top wrap around.
    if (nPercent != 100) nPercent %= 100;

    CString text;
    text.Format("%d%c", nPercent, '%');
    HWND hPercent = GetDlgItem(IDC_PERCENT);
    if (GetWindowTextUtf8(hPercent) != text) SetWindowTextUtf8(hPercent, text);
}

void CScanProgressDlg::OnOK()
{
    // Enter belongs to Cancel, the default button; an OK from elsewhere must
    // neither end the dialog nor stop the scan.
}

void CScanProgressDlg::OnCancel()
{
    // The scan sees the request at its next CheckCancel; the dialog stays.
    m_bCancel = TRUE;
}
