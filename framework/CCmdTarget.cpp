#include "framework/CCmdTarget.h"

#include "framework/CCmdUI.h"

const MessageMap* CCmdTarget::GetThisMessageMap()
{
    static const MessageMap map{nullptr, nullptr, nullptr};
    return &map;
}

const MsgMapEntry* CCmdTarget::FindEntry(MsgKind kind, UINT message, int code, UINT id) const
{
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->first; e != map->last; ++e) {
            if (e->kind != kind) continue;
            switch (kind) {
            case MsgKind::Message:
            case MsgKind::Reflected:
                if (e->message == message) return e;
                break;
            case MsgKind::ReflectNotify:
                if (e->code == code) return e;
                break;
            case MsgKind::Command:
            case MsgKind::Notify:
                if (e->code == code && id >= e->idFirst && id <= e->idLast) return e;
                break;
            case MsgKind::UpdateUI:
                if (id >= e->idFirst && id <= e->idLast) return e;
                break;
            }
        }
    }
    return nullptr;
}

BOOL CCmdTarget::DispatchCmdMsg(CmdMsg& cmd)
{
    // An "Ex" handler that declines lets the search go on to later entries,
    // including the base classes' tables.
    for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const MsgMapEntry* e = map->first; e != map->last; ++e) {
            if (cmd.id < e->idFirst || cmd.id > e->idLast) continue;
            switch (cmd.kind) {
            case CmdMsg::Command:
                if (e->kind != MsgKind::Command || e->code != cmd.code) continue;
                if (cmd.probeOnly) return TRUE;
                if (e->invoke(this, &cmd.id, nullptr)) return TRUE;
                break;
            case CmdMsg::UpdateUI:
                if (e->kind != MsgKind::UpdateUI) continue;
                e->invoke(this, cmd.pCmdUI, nullptr);
                return TRUE;
            case CmdMsg::Notify: {
                if (e->kind != MsgKind::Notify || e->code != cmd.code) continue;
                NotifyArgs args{cmd.id, cmd.pNMHDR, cmd.pResult};
                if (e->invoke(this, &args, nullptr)) return TRUE;
                break;
            }
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnCmdMsg(CmdMsg& cmd)
{
    return DispatchCmdMsg(cmd);
}

static int g_nWaitCursorCount = 0;
static HCURSOR g_hcurBeforeWait = nullptr;

void CCmdTarget::BeginWaitCursor()
{
    if (g_nWaitCursorCount++ == 0) g_hcurBeforeWait = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    else SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

void CCmdTarget::EndWaitCursor()
{
    if (g_nWaitCursorCount <= 0) return;
    if (--g_nWaitCursorCount == 0) SetCursor(g_hcurBeforeWait ? g_hcurBeforeWait : LoadCursor(nullptr, IDC_ARROW));
}

bool AfxIsWaitCursorShown() { return g_nWaitCursorCount > 0; }

CWaitCursor::CWaitCursor() { CCmdTarget().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { CCmdTarget().EndWaitCursor(); }
