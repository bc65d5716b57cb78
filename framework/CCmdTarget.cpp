#include "framework/CCmdTarget.h"

#include "framework/CCmdUI.h"

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMap map{nullptr, nullptr, nullptr};
    return &map;
}

// Whether an entry is the handler a message looks for.
static bool EntryFits(const MsgMapEntry& e, const MsgKey& key)
{
    if (e.kind != key.kind) return false;
    const bool inRange = key.id >= e.idFirst && key.id <= e.idLast;
    switch (key.kind) {
    case MsgKind::Message:
    case MsgKind::Reflected: return e.message == key.message;
    case MsgKind::ReflectNotify: return e.code == key.code;
    case MsgKind::Command:
    case MsgKind::Notify: return e.code == key.code && inRange;
    case MsgKind::UpdateUI: return inRange;
    }
    return false;
}

BOOL CCmdTarget::DispatchToMap(const MsgKey& key, const void* args, LRESULT* result, bool probeOnly)
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->first; e != map->last; ++e) {
            if (!EntryFits(*e, key)) continue;
            if (probeOnly || e->invoke(this, args, result)) return TRUE;
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(CmdMsg& cmd)
{
    switch (cmd.kind) {
    case CmdMsg::Command:
        return DispatchToMap(MsgKey{MsgKind::Command, 0, cmd.code, cmd.id}, &cmd.id, nullptr, cmd.probeOnly);
    case CmdMsg::UpdateUI:
        return DispatchToMap(MsgKey{MsgKind::UpdateUI, 0, 0, cmd.id}, cmd.pCmdUI, nullptr);
    case CmdMsg::Notify: {
        NotifyArgs args{cmd.id, cmd.pNMHDR, cmd.pResult};
        return DispatchToMap(MsgKey{MsgKind::Notify, 0, cmd.code, cmd.id}, &args, nullptr);
    }
    }
    return FALSE;
}

static int g_nWaitCursorCount = 0;
static HCURSOR g_hcurBeforeWait = nullptr;

CWaitCursor::CWaitCursor()
{
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    if (g_nWaitCursorCount++ == 0) g_hcurBeforeWait = previous;
}

CWaitCursor::~CWaitCursor()
{
    if (g_nWaitCursorCount <= 0) return;
    if (--g_nWaitCursorCount == 0) SetCursor(g_hcurBeforeWait ? g_hcurBeforeWait : LoadCursor(nullptr, IDC_ARROW));
}

bool AfxIsWaitCursorShown() { return g_nWaitCursorCount > 0; }
