#include "framework/CDialog.h"


void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    HWND hCtrl = GetDlgItem(pDX->m_hDlg, nIDC);
    if (!hCtrl) return;
    if (pDX->m_bSaveAndValidate) value = GetWindowTextUtf8(hCtrl);
    else SetWindowTextUtf8(hCtrl, value);
}

const MessageMap* CDialog::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&CDialog::OnOK>(IDOK),
        on::Command<&CDialog::OnCancel>(IDCANCEL),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

INT_PTR CDialog::DoModal()
{
    HWND hOwner = GetSafeOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    const CModalBoxShown shown;
    m_bModal = true;
    INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return result;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParent)
{
    m_nIDTemplate = nIDTemplate;
    if (pParent) m_pParentWnd = pParent;
    HWND hParent = m_pParentWnd ? m_pParentWnd->m_hWnd : GetSafeOwner(nullptr);
    HWND hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hParent,
                                   &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    // Every dialog opens over the window that owns it, not in a corner of the screen.
    CenterWindow();
    return TRUE;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(m_hWnd, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) ::EndDialog(m_hWnd, nResult);
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (!m_hWnd || m_bModal) return FALSE;
    if (pMsg->hwnd != m_hWnd && !IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return IsDialogMessageW(m_hWnd, pMsg);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    // The flag belongs to the stack of the call that dispatches a message;
    // once the window has ended, an object that lives on must not keep its
    // address (a later DefWindowProc would write into a stack long gone).
    if (message == WM_NCDESTROY) m_pWantsDefault = nullptr;
    return result;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM)
{
    // The dialog manager does the default processing once DialogProc returns FALSE.
    if (m_pWantsDefault) *m_pWantsDefault = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* pDlg = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, reinterpret_cast<LONG_PTR>(pDlg));
        pDlg->Bind(hWnd);
        return pDlg->OnInitDialog();
    }
    auto* pDlg = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (!pDlg) return FALSE;
    // What the message asks of the dialog manager is noted here, on this
    // call's own stack: the message may end the dialog (WM_NCDESTROY, or a
    // handler that destroys it), and PostNcDestroy may delete the object,
    // which is then not touched again.
    bool wantsDefault = false;
    bool ended = false;
    bool* outerWantsDefault = pDlg->m_pWantsDefault;
    bool* outerEnded = pDlg->m_pEndedFlag;
    pDlg->m_pWantsDefault = &wantsDefault;
    pDlg->m_pEndedFlag = &ended;
    // Dispatch (not WindowProc directly) so that Default() works and the
    // binding ends with WM_NCDESTROY.
    const LRESULT result = Dispatch(pDlg, hWnd, message, wParam, lParam);
    if (ended) {
        if (outerEnded) *outerEnded = true;
    } else {
        pDlg->m_pWantsDefault = outerWantsDefault;
        pDlg->m_pEndedFlag = outerEnded;
    }
    if (wantsDefault) return FALSE;
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}
