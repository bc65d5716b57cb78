#pragma once
#include "framework/MessageMap.h"

#include <vector>

class CCmdTarget;
class CWnd;

// Command routing, in one place. A command, update request or notification
// that arrives at a window is offered to these objects, in this order, each
// at most once, until one of them takes it:
//   the active view, the view's document, the view's child frame,
//   the application, the main frame.
// Which of them are asked depends on where it arrives: at a view, the view
// and its document; at a document's frame, its view, the view's document and
// the frame; at the main frame, all five, with the active document window's
// view. While a frame shows a print preview, its commands and update
// requests go to the preview alone. Any other window asks only itself.
std::vector<CCmdTarget*> CommandTargets(CWnd& receiver, CmdMsg::Kind kind);

// Offers cmd to CommandTargets(receiver) in turn; TRUE when one took it.
BOOL RouteCmdMsg(CWnd& receiver, CmdMsg& cmd);
