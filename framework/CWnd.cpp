#include "framework/CWnd.h"

#include "framework/CommandRouting.h"
#include "framework/CDialog.h"
#include "framework/CFileFind.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/Utf16.h"

#include <map>
#include <tuple>

// Marks the framework's own subclass among the others a control may carry.
static const UINT_PTR kSubclassId = 0x41465857; // "AFXW"

// The import library lacks GetWindowSubclass: it is exported by ordinal only.
bool CWnd::QuerySubclassRef(HWND hWnd, DWORD_PTR* ref)
{
    using GetWindowSubclassFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    static const auto getWindowSubclass = reinterpret_cast<GetWindowSubclassFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"comctl32.dll"), MAKEINTRESOURCEA(411))));
    return getWindowSubclass && getWindowSubclass(hWnd, &CWnd::SubclassProc, kSubclassId, ref);
}

const MessageMap* CWnd::GetThisMessageMap()
{
    static const MessageMap map{&CCmdTarget::GetThisMessageMap, nullptr, nullptr};
    return &map;
}

CWnd::~CWnd()
{
    // A message may still be dispatched to this object further up the stack
    // (a handler deleted it): that dispatch must not touch it again.
    if (m_pEndedFlag) *m_pEndedFlag = true;
    // An object destroyed before its window: end the binding so that later
    // messages go to the default procedure instead of a dead object.
    if (m_hWnd && ::IsWindow(m_hWnd) && FromHandlePermanent(m_hWnd) == this) {
        HWND hWnd = m_hWnd;
        Unbind();
        ::DestroyWindow(hWnd);
    }
}

void CWnd::Unbind()
{
    HWND hWnd = m_hWnd;
    if (m_bSubclassed) RemoveWindowSubclass(hWnd, &CWnd::SubclassProc, kSubclassId);
    else if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::WndProc)
        SetWindowLongPtrW(hWnd, 0, 0);
    else if (FromHandlePermanent(hWnd) == this)
        SetWindowLongPtrW(hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    m_bSubclassed = false;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    if (!hWnd || !::IsWindow(hWnd)) return nullptr;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::WndProc)
        return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hWnd, 0));
    DWORD_PTR ref = 0;
    if (QuerySubclassRef(hWnd, &ref)) return reinterpret_cast<CWnd*>(ref);
    if (GetClassLongPtrW(hWnd, GCW_ATOM) == reinterpret_cast<ULONG_PTR>(WC_DIALOG) &&
        reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hWnd, DWLP_DLGPROC)) == &CDialog::DialogProc)
        return reinterpret_cast<CWnd*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    return nullptr;
}

const wchar_t* CWnd::RegisterFrameworkClass(UINT style, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon)
{
    // One class per combination, named after it, registered on first use.
    static std::map<std::tuple<UINT, HCURSOR, HBRUSH, HICON>, std::wstring> classes;
    auto key = std::make_tuple(style, hCursor, hBackground, hIcon);
    auto it = classes.find(key);
    if (it != classes.end()) return it->second.c_str();
    CString name;
    name.Format("AfxWnd:%x:%p:%p:%p", style, static_cast<void*>(hCursor), static_cast<void*>(hBackground),
                static_cast<void*>(hIcon));
    std::wstring wideName = Utf8ToWide(name.str());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = &CWnd::WndProc;
    wc.cbWndExtra = sizeof(CWnd*);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = hCursor;
    wc.hbrBackground = hBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = wideName.c_str();
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing) && !RegisterClassExW(&wc)) return nullptr;
    return classes.emplace(key, std::move(wideName)).first->second.c_str();
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const wchar_t* className, const char* windowName, DWORD dwStyle,
                    const RECT& rect, HWND hParent, UINT nID, HMENU hMenu)
{
    if (!className) className = RegisterFrameworkClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr);
    if (dwStyle & WS_CHILD) hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID));
    HWND hWnd = CreateWindowExW(dwExStyle, className, Utf8ToWide(windowName ? windowName : "").c_str(), dwStyle,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, hParent, hMenu,
                                GetModuleHandleW(nullptr), this);
    return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::CreateControl(DWORD dwExStyle, const wchar_t* className, const char* windowName, DWORD dwStyle,
                         const RECT& rect, HWND hParent, UINT nID)
{
    HWND hWnd = CreateWindowExW(dwExStyle, className, Utf8ToWide(windowName ? windowName : "").c_str(), dwStyle,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, hParent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), GetModuleHandleW(nullptr),
                                nullptr);
    if (!hWnd) return FALSE;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!SetWindowSubclass(hWnd, &CWnd::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return FALSE;
    m_bSubclassed = true;
    Bind(hWnd);
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hWnd, 0));
    if (!pWnd && message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        void* param = cs->lpCreateParams;
        // An MDI child receives its creation parameter through MDICREATESTRUCT.
        if ((cs->dwExStyle & WS_EX_MDICHILD) && param) param = reinterpret_cast<void*>(
            reinterpret_cast<MDICREATESTRUCTW*>(param)->lParam);
        pWnd = static_cast<CWnd*>(param);
        if (pWnd) {
            SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(pWnd));
            pWnd->Bind(hWnd);
        }
    }
    if (!pWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
    return Dispatch(pWnd, hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR refData)
{
    return Dispatch(reinterpret_cast<CWnd*>(refData), hWnd, message, wParam, lParam);
}

LRESULT CWnd::Dispatch(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{hWnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* previous = pWnd->m_pCurrentMsg;
    bool* outerEnded = pWnd->m_pEndedFlag;
    bool ended = false;
    pWnd->m_pCurrentMsg = &msg;
    pWnd->m_pEndedFlag = &ended;
    LRESULT result = pWnd->WindowProc(message, wParam, lParam);
    if (ended) {
        // The window ended while handling this message (a window closing
        // itself): PostNcDestroy may have deleted the object, which is not
        // touched again.
        if (outerEnded) *outerEnded = true;
        return result;
    }
    pWnd->m_pCurrentMsg = previous;
    pWnd->m_pEndedFlag = outerEnded;
    if (message == WM_NCDESTROY) {
        pWnd->Unbind();
        if (outerEnded) *outerEnded = true;
        pWnd->m_pCurrentMsg = nullptr;
        pWnd->m_pEndedFlag = nullptr;
        pWnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_bSubclassed) return DefSubclassProc(m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (!m_pCurrentMsg) return 0;
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

bool CWnd::SendMessageKeepsWindow(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The flag of the message being handled lives on the dispatching call's
    // stack, so it can be read after the object is gone.
    bool* ended = m_pEndedFlag;
    HWND hWnd = m_hWnd;
    ::SendMessageW(hWnd, message, wParam, lParam);
    return ended ? !*ended : ::IsWindow(hWnd) != FALSE;
}

BOOL CWnd::DispatchWindowMessage(MsgKind kind, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    WndMsg args{message, wParam, lParam};
    return DispatchToMap(MsgKey{kind, message, 0, 0}, &args, pResult);
}

BOOL CWnd::ReflectChildNotify(HWND hChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) const
{
    CWnd* pChild = ChildObject(hChild);
    return pChild && pChild->OnChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_NOTIFY) {
        auto* nmhdr = reinterpret_cast<NMHDR*>(lParam);
        NotifyArgs args{static_cast<UINT>(nmhdr->idFrom), nmhdr, pResult};
        return DispatchToMap(MsgKey{MsgKind::ReflectNotify, 0, nmhdr->code, 0}, &args, nullptr);
    }
    return DispatchWindowMessage(MsgKind::Reflected, message, wParam, lParam, pResult);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(wParam, lParam, pResult);
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (dis->CtlType != ODT_MENU && ReflectChildNotify(dis->hwndItem, message, wParam, lParam, pResult))
            return TRUE;
        break;
    }
    case WM_MEASUREITEM: {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (mis->CtlType != ODT_MENU && ReflectChildNotify(GetDlgItem(static_cast<int>(mis->CtlID)), message,
                                                           wParam, lParam, pResult))
            return TRUE;
        break;
    }
    case WM_SETCURSOR:
        if (AfxIsWaitCursorShown()) {
            SetCursor(LoadCursor(nullptr, IDC_WAIT));
            *pResult = TRUE;
            return TRUE;
        }
        break;
    default:
        break;
    }
    return DispatchWindowMessage(MsgKind::Message, message, wParam, lParam, pResult);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    HWND hControl = reinterpret_cast<HWND>(lParam);
    UINT code = HIWORD(wParam);
    if (hControl) {
        LRESULT ignored = 0;
        if (ReflectChildNotify(hControl, WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
    } else {
        code = 0; // menus (0) and accelerators (1) both mean "the command"
    }
    // A held command is taken and dropped here, where every command enters.
    if (const CWinApp* app = AfxGetApp(); app && app->IsCommandHeld(id)) return TRUE;
    CmdMsg cmd;
    cmd.kind = CmdMsg::Command;
    cmd.id = id;
    cmd.code = code;
    return RouteCmdMsg(*this, cmd);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    auto* nmhdr = reinterpret_cast<NMHDR*>(lParam);
    *pResult = 0;
    if (ReflectChildNotify(nmhdr->hwndFrom, WM_NOTIFY, 0, lParam, pResult)) return TRUE;
    CmdMsg cmd;
    cmd.kind = CmdMsg::Notify;
    cmd.id = static_cast<UINT>(nmhdr->idFrom);
    cmd.code = nmhdr->code;
    cmd.pNMHDR = nmhdr;
    cmd.pResult = pResult;
    return RouteCmdMsg(*this, cmd);
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void SetWindowTextUtf8(HWND hWnd, const char* text)
{
    ::SetWindowTextW(hWnd, Utf8ToWide(text ? text : "").c_str());
}

CString GetWindowTextUtf8(HWND hWnd)
{
    // The length is an upper bound (it may count a text that shrinks meanwhile).
    int len = ::GetWindowTextLengthW(hWnd);
    if (len <= 0) return CString();
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    int got = ::GetWindowTextW(hWnd, text.data(), len + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return WideToUtf8(text);
}

void CWnd::SetWindowText(const char* text)
{
    SetWindowTextUtf8(m_hWnd, text);
}

CString CWnd::GetWindowText() const
{
    return GetWindowTextUtf8(m_hWnd);
}

void CWnd::MoveWindow(const RECT& rc, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
}

void CWnd::MoveChildRedrawn(HWND hChild, const RECT& rc)
{
    RECT now{};
    ::GetWindowRect(hChild, &now);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hChild), reinterpret_cast<POINT*>(&now), 2);
    if (EqualRect(&now, &rc)) return;
    SetWindowPos(hChild, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    RedrawWindow(hChild, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void CWnd::CenterWindow(HWND hAlternateOwner)
{
    HWND hOwner = hAlternateOwner ? hAlternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
    if (!hOwner && (GetStyle() & WS_CHILD)) hOwner = ::GetParent(m_hWnd);
    RECT self{};
    GetWindowRect(&self);
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT around = area;
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner)) ::GetWindowRect(hOwner, &around);
    int width = self.right - self.left;
    int height = self.bottom - self.top;
    int x = (around.left + around.right) / 2 - width / 2;
    int y = (around.top + around.bottom) / 2 - height / 2;
    if (!(GetStyle() & WS_CHILD)) {
        if (x + width > area.right) x = area.right - width;
        if (x < area.left) x = area.left;
        if (y + height > area.bottom) y = area.bottom - height;
        if (y < area.top) y = area.top;
    } else {
        POINT pt{x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x;
        y = pt.y;
    }
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(h))) return frame;
    }
    return nullptr;
}

HWND CWnd::GetSafeOwner(HWND hParent)
{
    HWND h = hParent;
    if (!h) {
        CWnd* main = AfxGetMainWnd();
        h = main ? main->m_hWnd : nullptr;
    }
    while (h && (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) h = ::GetParent(h);
    return h;
}

int MessageBoxUtf8(HWND hOwner, const char* text, const char* caption, UINT type)
{
    const CModalBoxShown shown;
    return ::MessageBoxW(hOwner, Utf8ToWide(text ? text : "").c_str(), Utf8ToWide(caption ? caption : "").c_str(),
                         type);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const
{
    return MessageBoxUtf8(GetSafeOwner(m_hWnd), text, caption, type);
}
