#include "framework/CommandRouting.h"

#include "framework/CFrameWnd.h"
#include "framework/CPreviewView.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"

#include <algorithm>

std::vector<CCmdTarget*> CommandTargets(CWnd& receiver, CmdMsg::Kind kind)
{
    std::vector<CCmdTarget*> targets;
    auto add = [&targets](CCmdTarget* target) {
        if (target && std::find(targets.begin(), targets.end(), target) == targets.end()) targets.push_back(target);
    };

    auto* frame = dynamic_cast<CFrameWnd*>(&receiver);
    auto* view = dynamic_cast<CView*>(&receiver);
    if (!frame && !view) {
        add(&receiver);
        return targets;
    }
    if (frame && frame->GetPreviewView() && kind != CmdMsg::Notify) {
        add(frame->GetPreviewView());
        return targets;
    }

    const bool isDocumentFrame = frame && dynamic_cast<CMDIChildWnd*>(frame) != nullptr;
    CFrameWnd* childFrame = nullptr;
    if (frame) {
        // The main frame of a multiple-document program asks its active document window.
        CFrameWnd* viewFrame = frame->GetActiveFrame();
        view = viewFrame->GetActiveView();
        if (viewFrame != frame || isDocumentFrame) childFrame = viewFrame;
    }
    add(view);
    if (view) add(view->GetDocument());
    add(childFrame);
    if (frame && !isDocumentFrame) {
        add(AfxGetApp());
        add(frame);
    }
    return targets;
}

BOOL RouteCmdMsg(CWnd& receiver, CmdMsg& cmd)
{
    for (CCmdTarget* target : CommandTargets(receiver, cmd.kind))
        if (target->OnCmdMsg(cmd)) return TRUE;
    return FALSE;
}
