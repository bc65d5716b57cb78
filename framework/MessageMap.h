#pragma once
// Static message maps. Every class with handlers defines one table in its
// .cpp, chained to its base class's table. Entries are made by the typed
// adapters below from member-function pointers, so a handler whose signature
// does not fit its message is a compile error, not a crash.
#include "framework/afxwin_base.h"

#include <type_traits>

class CCmdTarget;
class CCmdUI;
class CWnd;

// One routed command, update request or notification (see RouteCmdMsg).
struct CmdMsg {
    enum Kind { Command, UpdateUI, Notify };
    Kind kind = Command;
    UINT id = 0;
    UINT code = 0;              // control notification code (Command) or NMHDR code (Notify)
    CCmdUI* pCmdUI = nullptr;   // UpdateUI
    NMHDR* pNMHDR = nullptr;    // Notify
    LRESULT* pResult = nullptr; // Notify
    bool probeOnly = false;     // Command: only ask whether some target has a handler
};

// One window message being dispatched to a window's own map.
struct WndMsg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

enum class MsgKind : unsigned char {
    Message,       // a window message sent to this window
    Reflected,     // a message the parent reflected back to this control (WM_DRAWITEM, ...)
    Command,       // WM_COMMAND id range, routed by RouteCmdMsg
    UpdateUI,      // update handler for a command id range
    Notify,        // WM_NOTIFY from a child (id range and code), routed by RouteCmdMsg
    ReflectNotify, // WM_NOTIFY of this control, reflected back to it by its parent
};

struct MsgMapEntry {
    MsgKind kind;
    UINT message;  // Message / Reflected
    UINT code;     // Command (control code, 0 for menus), Notify / ReflectNotify (NMHDR code)
    UINT idFirst;
    UINT idLast;
    // Calls the handler; returns false when a handler of the "Ex" kind reports
    // that it did not handle the command or notification.
    bool (*invoke)(CCmdTarget* target, const void* args, LRESULT* result);
};

// What a message is looked up by in a map: the entry's kind and, as that
// kind needs, the message, the notification code and the command id.
struct MsgKey {
    MsgKind kind;
    UINT message;
    UINT code;
    UINT id;
};

struct MessageMap {
    const MessageMap* (*base)();
    const MsgMapEntry* first;
    const MsgMapEntry* last;

    template <size_t N>
    static MessageMap Of(const MessageMap* (*baseMap)(), const MsgMapEntry (&entries)[N])
    {
        return MessageMap{baseMap, entries, entries + N};
    }
};

// Declares the table of a class: put it in the class body, then define
// `const MessageMap* C::GetThisMessageMap()` in the class's .cpp.
#define DECLARE_MESSAGE_MAP()                                   \
public:                                                         \
    static const MessageMap* GetThisMessageMap();               \
    const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

namespace msgmap_detail {

template <class F>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
    using type = C;
};

template <auto F>
using ClassOf = typename MemberOf<decltype(F)>::type;

template <auto F, class Sig>
constexpr void CheckSignature()
{
    static_assert(std::is_same_v<decltype(F), Sig>, "handler signature does not fit this entry");
}

} // namespace msgmap_detail

struct NotifyArgs {
    UINT id;
    NMHDR* pNMHDR;
    LRESULT* pResult;
};

// ---- window-message traits: the handler signature each message expects ----
template <UINT M>
struct MsgTraits;

#define HEFT_MSG_VOID(M)                                                              \
    template <>                                                                       \
    struct MsgTraits<M> {                                                             \
        template <class C> using Sig = void (C::*)();                                 \
        template <class C, Sig<C> F>                                                  \
        static LRESULT Call(C* c, const WndMsg&) { (c->*F)(); return 0; }             \
    };
HEFT_MSG_VOID(WM_DESTROY)
HEFT_MSG_VOID(WM_PAINT)
HEFT_MSG_VOID(WM_CLOSE)
HEFT_MSG_VOID(WM_NCDESTROY)
HEFT_MSG_VOID(WM_EXITMENULOOP)
#undef HEFT_MSG_VOID

template <>
struct MsgTraits<WM_CREATE> {
    template <class C> using Sig = int (C::*)(CREATESTRUCTW*);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { return (c->*F)(reinterpret_cast<CREATESTRUCTW*>(m.lParam)); }
};

template <>
struct MsgTraits<WM_SIZE> {
    template <class C> using Sig = void (C::*)(UINT type, int cx, int cy);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        (c->*F)(static_cast<UINT>(m.wParam), static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam)));
        return 0;
    }
};

// The window's new DPI and the rectangle the system suggests for it there.
template <>
struct MsgTraits<WM_DPICHANGED> {
    template <class C> using Sig = void (C::*)(int dpi, const RECT* suggested);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        (c->*F)(LOWORD(m.wParam), reinterpret_cast<const RECT*>(m.lParam));
        return 0;
    }
};

template <>
struct MsgTraits<WM_SETFOCUS> {
    template <class C> using Sig = void (C::*)(HWND hwndOld);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { (c->*F)(reinterpret_cast<HWND>(m.wParam)); return 0; }
};

#define HEFT_MSG_KEY(M)                                                                     \
    template <>                                                                             \
    struct MsgTraits<M> {                                                                   \
        template <class C> using Sig = void (C::*)(UINT nChar, UINT nRepCnt, UINT nFlags);  \
        template <class C, Sig<C> F>                                                        \
        static LRESULT Call(C* c, const WndMsg& m)                                          \
        {                                                                                   \
            (c->*F)(static_cast<UINT>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam));       \
            return 0;                                                                       \
        }                                                                                   \
    };
HEFT_MSG_KEY(WM_KEYDOWN)
HEFT_MSG_KEY(WM_SYSKEYDOWN)
#undef HEFT_MSG_KEY

#define HEFT_MSG_MOUSE(M)                                                                   \
    template <>                                                                             \
    struct MsgTraits<M> {                                                                   \
        template <class C> using Sig = void (C::*)(UINT nFlags, POINT point);               \
        template <class C, Sig<C> F>                                                        \
        static LRESULT Call(C* c, const WndMsg& m)                                          \
        {                                                                                   \
            POINT pt{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))}; \
            (c->*F)(static_cast<UINT>(m.wParam), pt);                                       \
            return 0;                                                                       \
        }                                                                                   \
    };
HEFT_MSG_MOUSE(WM_LBUTTONDOWN)
HEFT_MSG_MOUSE(WM_LBUTTONUP)
HEFT_MSG_MOUSE(WM_LBUTTONDBLCLK)
HEFT_MSG_MOUSE(WM_MOUSEMOVE)
#undef HEFT_MSG_MOUSE

#define HEFT_MSG_SCROLL(M)                                                                  \
    template <>                                                                             \
    struct MsgTraits<M> {                                                                   \
        template <class C> using Sig = void (C::*)(UINT nSBCode, UINT nPos, HWND hScrollBar); \
        template <class C, Sig<C> F>                                                        \
        static LRESULT Call(C* c, const WndMsg& m)                                          \
        {                                                                                   \
            (c->*F)(LOWORD(m.wParam), HIWORD(m.wParam), reinterpret_cast<HWND>(m.lParam));  \
            return 0;                                                                       \
        }                                                                                   \
    };
HEFT_MSG_SCROLL(WM_VSCROLL)
HEFT_MSG_SCROLL(WM_HSCROLL)
#undef HEFT_MSG_SCROLL

template <>
struct MsgTraits<WM_MOUSEWHEEL> {
    template <class C> using Sig = BOOL (C::*)(UINT nFlags, short zDelta, POINT screenPoint);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        POINT pt{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
        return (c->*F)(LOWORD(m.wParam), static_cast<short>(HIWORD(m.wParam)), pt);
    }
};

template <>
struct MsgTraits<WM_CONTEXTMENU> {
    template <class C> using Sig = void (C::*)(HWND hwnd, POINT screenPoint);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        POINT pt{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
        (c->*F)(reinterpret_cast<HWND>(m.wParam), pt);
        return 0;
    }
};

template <>
struct MsgTraits<WM_DEVICECHANGE> {
    template <class C> using Sig = BOOL (C::*)(UINT nEventType, DWORD_PTR dwData);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        return (c->*F)(static_cast<UINT>(m.wParam), static_cast<DWORD_PTR>(m.lParam));
    }
};

template <>
struct MsgTraits<WM_INITMENUPOPUP> {
    template <class C> using Sig = void (C::*)(HMENU hMenu, UINT nIndex, BOOL bSysMenu);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        (c->*F)(reinterpret_cast<HMENU>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam));
        return 0;
    }
};

template <>
struct MsgTraits<WM_MENUSELECT> {
    template <class C> using Sig = void (C::*)(UINT nItemID, UINT nFlags, HMENU hMenu);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        (c->*F)(LOWORD(m.wParam), HIWORD(m.wParam), reinterpret_cast<HMENU>(m.lParam));
        return 0;
    }
};

template <>
struct MsgTraits<WM_SETCURSOR> {
    template <class C> using Sig = BOOL (C::*)(HWND hwnd, UINT nHitTest, UINT message);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        return (c->*F)(reinterpret_cast<HWND>(m.wParam), LOWORD(m.lParam), HIWORD(m.lParam));
    }
};

template <>
struct MsgTraits<WM_MDIACTIVATE> {
    template <class C> using Sig = void (C::*)(BOOL bActivate, HWND hwndActivate, HWND hwndDeactivate);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m)
    {
        HWND self = reinterpret_cast<HWND>(m.lParam);
        (c->*F)(self == c->m_hWnd, self, reinterpret_cast<HWND>(m.wParam));
        return 0;
    }
};

template <>
struct MsgTraits<WM_ENABLE> {
    template <class C> using Sig = void (C::*)(BOOL bEnable);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { (c->*F)(static_cast<BOOL>(m.wParam)); return 0; }
};

template <>
struct MsgTraits<WM_TIMER> {
    template <class C> using Sig = void (C::*)(UINT_PTR nIDEvent);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { (c->*F)(static_cast<UINT_PTR>(m.wParam)); return 0; }
};

template <>
struct MsgTraits<WM_DRAWITEM> {
    template <class C> using Sig = void (C::*)(DRAWITEMSTRUCT*);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { (c->*F)(reinterpret_cast<DRAWITEMSTRUCT*>(m.lParam)); return TRUE; }
};

template <>
struct MsgTraits<WM_MEASUREITEM> {
    template <class C> using Sig = void (C::*)(MEASUREITEMSTRUCT*);
    template <class C, Sig<C> F>
    static LRESULT Call(C* c, const WndMsg& m) { (c->*F)(reinterpret_cast<MEASUREITEMSTRUCT*>(m.lParam)); return TRUE; }
};

// ---- entry makers, used as on::Command<&C::OnX>(id) and so on ----
namespace on {

// A window message with the handler signature MsgTraits<M> gives.
template <UINT M, auto F>
constexpr MsgMapEntry Message()
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, typename MsgTraits<M>::template Sig<C>>();
    return {MsgKind::Message, M, 0, 0, 0, [](CCmdTarget* t, const void* a, LRESULT* r) {
                *r = MsgTraits<M>::template Call<C, F>(static_cast<C*>(t), *static_cast<const WndMsg*>(a));
                return true;
            }};
}

// A window message handled with its raw parameters (framework-internal messages).
template <auto F>
constexpr MsgMapEntry RawMessage(UINT message)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, LRESULT (C::*)(WPARAM, LPARAM)>();
    return {MsgKind::Message, message, 0, 0, 0, [](CCmdTarget* t, const void* a, LRESULT* r) {
                auto* m = static_cast<const WndMsg*>(a);
                *r = (static_cast<C*>(t)->*F)(m->wParam, m->lParam);
                return true;
            }};
}

// A message the parent reflects back to this control (WM_DRAWITEM, WM_MEASUREITEM).
template <UINT M, auto F>
constexpr MsgMapEntry Reflected()
{
    MsgMapEntry e = Message<M, F>();
    e.kind = MsgKind::Reflected;
    return e;
}

// Command: void Handler()
template <auto F>
constexpr MsgMapEntry Command(UINT id)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, void (C::*)()>();
    return {MsgKind::Command, 0, 0, id, id, [](CCmdTarget* t, const void*, LRESULT*) {
                (static_cast<C*>(t)->*F)();
                return true;
            }};
}

// Command range whose handler reports whether it handled the command: BOOL Handler(UINT id)
template <auto F>
constexpr MsgMapEntry CommandEx(UINT first, UINT last)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, BOOL (C::*)(UINT)>();
    return {MsgKind::Command, 0, 0, first, last, [](CCmdTarget* t, const void* a, LRESULT*) {
                return (static_cast<C*>(t)->*F)(*static_cast<const UINT*>(a)) != FALSE;
            }};
}

// Control notification through WM_COMMAND with a given code: void Handler()
template <auto F>
constexpr MsgMapEntry Control(UINT code, UINT id)
{
    MsgMapEntry e = Command<F>(id);
    e.code = code;
    return e;
}

// Update handler: void Handler(CCmdUI*)
template <auto F>
constexpr MsgMapEntry UpdateCommand(UINT id)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, void (C::*)(CCmdUI*)>();
    return {MsgKind::UpdateUI, 0, 0, id, id, [](CCmdTarget* t, const void* a, LRESULT*) {
                (static_cast<C*>(t)->*F)(const_cast<CCmdUI*>(static_cast<const CCmdUI*>(a)));
                return true;
            }};
}

// Notification from a child control: void Handler(NMHDR*, LRESULT*)
template <auto F>
constexpr MsgMapEntry Notify(UINT code, UINT id)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, void (C::*)(NMHDR*, LRESULT*)>();
    return {MsgKind::Notify, 0, code, id, id, [](CCmdTarget* t, const void* a, LRESULT*) {
                auto* n = static_cast<const NotifyArgs*>(a);
                (static_cast<C*>(t)->*F)(n->pNMHDR, n->pResult);
                return true;
            }};
}

// Notification for an id range whose handler reports whether it handled it:
// BOOL Handler(UINT id, NMHDR*, LRESULT*)
template <auto F>
constexpr MsgMapEntry NotifyEx(UINT code, UINT first, UINT last)
{
    using C = msgmap_detail::ClassOf<F>;
    msgmap_detail::CheckSignature<F, BOOL (C::*)(UINT, NMHDR*, LRESULT*)>();
    return {MsgKind::Notify, 0, code, first, last, [](CCmdTarget* t, const void* a, LRESULT*) {
                auto* n = static_cast<const NotifyArgs*>(a);
                return (static_cast<C*>(t)->*F)(n->id, n->pNMHDR, n->pResult) != FALSE;
            }};
}

// A control's own notification, reflected back to it: void Handler(NMHDR*, LRESULT*)
template <auto F>
constexpr MsgMapEntry NotifyReflect(UINT code)
{
    MsgMapEntry e = Notify<F>(code, 0);
    e.kind = MsgKind::ReflectNotify;
    return e;
}

} // namespace on
