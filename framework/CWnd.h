#pragma once
#include "framework/CCmdTarget.h"

class CFrameWnd;
class CWinApp;

// The text of any window or control (caption, edit text, static text), as
// UTF-8; the one way the program reads and sets window texts.
CString GetWindowTextUtf8(HWND hWnd);
void SetWindowTextUtf8(HWND hWnd, const char* text);
// A message box with UTF-8 texts, owned by hOwner (may be null).
int MessageBoxUtf8(HWND hOwner, const char* text, const char* caption, UINT type);

// Counts a modal box (message box, modal dialog, common dialog) while it is
// up: its loop dispatches messages under whatever asked for it, so a window
// that asked must not be rebuilt until it is down again.
class CModalBoxShown {
public:
    CModalBoxShown() { ++s_nShown; }
    ~CModalBoxShown() { --s_nShown; }
    CModalBoxShown(const CModalBoxShown&) = delete;
    CModalBoxShown& operator=(const CModalBoxShown&) = delete;
    static bool Any() { return s_nShown > 0; }

private:
    static inline int s_nShown = 0;
};

// The application object and its main window.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// A window and its C++ object. The binding between the two is made in one
// place (this class): windows of the framework's own classes keep the object
// in their extra bytes, common controls that a class wraps are subclassed with
// the object as reference data, and dialogs keep it in DWLP_USER. The binding
// ends at WM_NCDESTROY, after which PostNcDestroy runs.
class CWnd : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The object bound to a window, or null for a window the framework does not own.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates a window of a framework class (registered on demand) bound to this object.
    BOOL CreateEx(DWORD dwExStyle, const wchar_t* className, const char* windowName, DWORD dwStyle,
                  const RECT& rect, HWND hParent, UINT nID, HMENU hMenu = nullptr);
    // Creates a window of a system class (a common control) and binds it by subclassing.
    BOOL CreateControl(DWORD dwExStyle, const wchar_t* className, const char* windowName, DWORD dwStyle,
                       const RECT& rect, HWND hParent, UINT nID);
    // Binds an existing window of a system class to this object.
    BOOL SubclassWindow(HWND hWnd);
    virtual BOOL DestroyWindow();

    // Registers (once) a window class of the framework that dispatches to its objects.
    static const wchar_t* RegisterFrameworkClass(UINT style, HCURSOR hCursor, HBRUSH hBackground, HICON hIcon);

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled.
    LRESULT Default();
    // Sends a message to this window from inside one of its own handlers and
    // tells whether the window outlived it. When it did not (the message closed
    // the window, or the window that holds it), the object may be gone as well:
    // the handler returns at once without touching it.
    bool SendMessageKeepsWindow(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A message the parent reflects back to this child; TRUE when this child handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void PostNcDestroy() {}

    // Thin wrappers used across the program.
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetWindowText(const char* text);
    CString GetWindowText() const;
    void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
    void GetWindowRect(RECT* rc) const { ::GetWindowRect(m_hWnd, rc); }
    void MoveWindow(const RECT& rc, BOOL bRepaint = TRUE);
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    void SetRedraw(BOOL bRedraw = TRUE) { SendMessage(WM_SETREDRAW, bRedraw, 0); }
    // Moves a child window (rc in its parent's client coordinates) and has it
    // and its own children drawn afresh when it moved or changed size. Wine
    // keeps the bits of a moved child that it takes to be still valid, which
    // for a list with its header leaves parts of the old picture on the
    // screen: columns and header items blank, old rows, stale dividers.
    static void MoveChildRedrawn(HWND hChild, const RECT& rc);
    // Centres this window over its owner (or over hAlternateOwner), kept inside the work area.
    void CenterWindow(HWND hAlternateOwner = nullptr);

    // The frame window that contains this window (not this window itself), or null.
    CFrameWnd* GetParentFrame() const;
    // The top-level window that owns hWnd's dialogs and message boxes.
    static HWND GetSafeOwner(HWND hParent);
    // A message box owned by this window's top-level window; the texts are
    // UTF-8 and shown as they are on any Windows.
    int MessageBox(const char* text, const char* caption, UINT type = MB_OK) const;

protected:
    // Looks for a message entry in this object's map chain and calls it.
    BOOL DispatchWindowMessage(MsgKind kind, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Reflects a control's message to the control's own object; TRUE when it took it.
    BOOL ReflectChildNotify(HWND hChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) const;
    // The object of a child window, for reflecting its messages. A parent that
    // keeps its children's objects answers without asking the window, which
    // for a subclassed common control costs a round trip to the server under
    // Wine (about 50 microseconds, paid for every notification).
    virtual CWnd* ChildObject(HWND hChild) const { return FromHandlePermanent(hChild); }
    void Bind(HWND hWnd) { m_hWnd = hWnd; }
    // Ends the binding of whichever kind this window has.
    void Unbind();

    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR idSubclass, DWORD_PTR refData);
    // Runs one message through WindowProc with Default() able to reach it, and
    // ends the binding after WM_NCDESTROY.
    static LRESULT Dispatch(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool m_bSubclassed = false;

private:
    // The reference data of this framework's subclass of a window, if it has one.
    static bool QuerySubclassRef(HWND hWnd, DWORD_PTR* ref);

    const MSG* m_pCurrentMsg = nullptr;
    // Set when the window ends inside the message being dispatched.
    bool* m_pEndedFlag = nullptr;
    friend class CDialog;
};

// Turns a window's drawing off for its lifetime and has it drawn whole at the
// end. A control filled item by item then leaves its scroll bars alone until
// the end: under Wine a list takes its scroll bar away with the old rows and
// brings it back with the new ones (about 30 ms each), and a tree lays out
// and redraws for every item inserted below an expanded folder, which grows
// with the folder's size (3 ms an item at 3,000 subfolders).
class CRedrawOff {
public:
    explicit CRedrawOff(HWND hWnd) : m_hWnd(hWnd) { ::SendMessageW(m_hWnd, WM_SETREDRAW, FALSE, 0); }
    ~CRedrawOff()
    {
        ::SendMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    CRedrawOff(const CRedrawOff&) = delete;
    CRedrawOff& operator=(const CRedrawOff&) = delete;

private:
    HWND m_hWnd;
};
