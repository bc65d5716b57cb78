#pragma once
#include "framework/MessageMap.h"

// Base of every object that receives commands: it owns the lookup in the
// message maps and the first step of command routing.
class CCmdTarget : public CObject {
public:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // Offers a command, update request or notification to this target and the
    // targets it routes to; TRUE when one of them took it.
    virtual BOOL OnCmdMsg(CmdMsg& cmd);

    // The wait cursor, shown while any caller holds it (nested calls count).
    void BeginWaitCursor();
    void EndWaitCursor();

protected:
    // The first entry of this object's map chain that fits, or null.
    const MsgMapEntry* FindEntry(MsgKind kind, UINT message, int code, UINT id) const;
    // Dispatches cmd to this object's own map only.
    BOOL DispatchCmdMsg(CmdMsg& cmd);
};

// True while some caller holds the wait cursor; windows then keep showing it.
bool AfxIsWaitCursorShown();

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
