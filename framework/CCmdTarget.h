#pragma once
#include "framework/MessageMap.h"

// Base of every object that receives commands: it owns the lookup in its
// class's message map chain.
class CCmdTarget : public CObject {
public:
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return GetThisMessageMap(); }

    // Offers a command, update request or notification to this object's own
    // map chain; TRUE when one of its handlers took it. Which objects a
    // command is offered to, and in what order, is RouteCmdMsg's business
    // (framework/CommandRouting.h).
    BOOL OnCmdMsg(CmdMsg& cmd);

protected:
    // Calls the entries of the map chain that fit the key, in order, until one
    // handles the message (an "Ex" handler may decline and let the search go
    // on, into the base classes' tables too). probeOnly: only says whether an
    // entry fits.
    BOOL DispatchToMap(const MsgKey& key, const void* args, LRESULT* result, bool probeOnly = false);
};

// True while some CWaitCursor lives; windows then keep showing the wait cursor.
bool AfxIsWaitCursorShown();

// Shows the wait cursor for the lifetime of the object (nested ones count).
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
