#include "tests/common/DialogAnswerer.h"

#include "framework/CWnd.h"

#include <map>

// Thread timers carry no data of their own: find the answerer by timer id.
static std::map<UINT_PTR, DialogAnswerer*>& Answerers()
{
    static std::map<UINT_PTR, DialogAnswerer*> answerers;
    return answerers;
}

DialogAnswerer::DialogAnswerer(std::string caption, int buttonId, std::function<void(HWND)> inspect)
    : m_caption(std::move(caption)), m_buttonId(buttonId), m_inspect(std::move(inspect))
{
    m_timer = SetTimer(nullptr, 0, 20, &DialogAnswerer::OnTimer);
    Answerers()[m_timer] = this;
}

DialogAnswerer::~DialogAnswerer()
{
    KillTimer(nullptr, m_timer);
    Answerers().erase(m_timer);
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = Answerers().find(id);
    if (it != Answerers().end()) it->second->Poll();
}

struct FindContext {
    const std::string* caption;
    HWND found;
};

static BOOL CALLBACK FindByCaption(HWND hWnd, LPARAM lParam)
{
    auto* ctx = reinterpret_cast<FindContext*>(lParam);
    if (IsWindowVisible(hWnd) && GetWindowTextUtf8(hWnd).str() == *ctx->caption) {
        ctx->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

void DialogAnswerer::Poll()
{
    FindContext ctx{&m_caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindByCaption, reinterpret_cast<LPARAM>(&ctx));
    if (!ctx.found || ctx.found == m_lastAnswered) return;
    m_lastAnswered = ctx.found;
    m_lastText = GetWindowTextUtf8(GetDlgItem(ctx.found, 0xFFFF)).str();
    if (m_inspect) m_inspect(ctx.found);
    ++m_answered;
    // Pressing the button as the user would: the dialog gets its command.
    PostMessageW(ctx.found, WM_COMMAND, MAKEWPARAM(m_buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(ctx.found, m_buttonId)));
}
