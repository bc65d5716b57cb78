#include "framework/CControlBar.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "framework/Dpi.h"
#include "framework/Utf16.h"

#include <algorithm>
#include <cstring>

// ---- CControlBar ----

DWORD CControlBar::TakeBarStyle(DWORD dwStyle)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    return dwStyle & ~CBRS_ALL;
}

CControlBar::~CControlBar()
{
    // A bar deleted while its window lives must not stay in its frame's layout.
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
}

void CControlBar::PostNcDestroy()
{
    // The frame lays out only living bars.
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
}

// ---- CToolBar ----

const MessageMap* CToolBar::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::NotifyReflect<&CToolBar::OnHotItemChange>(TBN_HOTITEMCHANGE),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

BOOL CToolBar::CreateEx(HWND hParent, DWORD dwCtrlStyle, DWORD dwStyle, const RECT&, UINT nID)
{
    DWORD wndStyle = TakeBarStyle(dwStyle);
    // The frame positions the bar itself; tooltips are always created and
    // switched on and off with the bar style.
    wndStyle |= dwCtrlStyle | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    RECT rc{0, 0, 100, 30};
    if (!CreateControl(0, TOOLBARCLASSNAMEW, nullptr, wndStyle, rc, hParent, nID)) return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetBarStyle(m_dwStyle);
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    HMODULE hModule = GetModuleHandleW(nullptr);
    HRSRC hRes = FindResourceW(hModule, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(RT_TOOLBAR_TYPE));
    if (!hRes) return FALSE;
    HGLOBAL hData = LoadResource(hModule, hRes);
    auto* data = static_cast<const WORD*>(LockResource(hData));
    DWORD bytes = SizeofResource(hModule, hRes);
    if (!data || bytes < 4 * sizeof(WORD) || data[0] != 1) return FALSE;
    WORD width = data[1], height = data[2], count = data[3];
    if (bytes < (4u + count) * sizeof(WORD)) return FALSE;
    std::vector<TBBUTTON> buttons(count);
    int image = 0;
    for (WORD i = 0; i < count; ++i) {
        TBBUTTON& b = buttons[i];
        std::memset(&b, 0, sizeof(b));
        b.idCommand = data[4 + i];
        if (b.idCommand == 0) {
            b.fsStyle = BTNS_SEP;
        } else {
            b.iBitmap = image++;
            b.fsStyle = BTNS_BUTTON;
            b.fsState = TBSTATE_ENABLED;
        }
    }
    // The images are drawn at the layout DPI, as large as the buttons they sit on.
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(ScaleToDpi(width), ScaleToDpi(height - 1)));
    return SendMessage(TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons.data())) != 0;
}

BOOL CToolBar::SetTextButtons(const UINT* ids, const char* const* texts, int nCount)
{
    std::vector<TBBUTTON> buttons(static_cast<size_t>(nCount));
    std::vector<std::wstring> wideTexts(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        TBBUTTON& b = buttons[static_cast<size_t>(i)];
        b.iBitmap = I_IMAGENONE;
        b.idCommand = static_cast<int>(ids[i]);
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        // The control keeps a copy of the text.
        wideTexts[static_cast<size_t>(i)] = Utf8ToWide(texts[i] ? texts[i] : "");
        b.iString = reinterpret_cast<INT_PTR>(wideTexts[static_cast<size_t>(i)].c_str());
    }
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    if (!SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()))) return FALSE;
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

void CToolBar::SetButtonText(UINT id, const char* text)
{
    const std::wstring wide = Utf8ToWide(text ? text : "");
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<wchar_t*>(wide.c_str());
    SendMessage(TB_SETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
    SendMessage(TB_AUTOSIZE);
}

void CToolBar::SetBarStyle(DWORD dwStyle)
{
    m_dwStyle = dwStyle;
    if (HWND hTips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS)))
        ::SendMessageW(hTips, TTM_ACTIVATE, (dwStyle & CBRS_TOOLTIPS) ? TRUE : FALSE, 0);
}

int CToolBar::CalcHeight(int)
{
    DWORD size = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    return HIWORD(size) + 4;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON b{};
    if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&b))) return 0;
    return static_cast<UINT>(b.idCommand);
}

void CToolBar::OnUpdateCmdUI(CWnd* pTarget, BOOL bDisableIfNoHandler)
{
    int count = GetButtonCount();
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b))) continue;
        if (b.fsStyle & BTNS_SEP) continue;
        CToolCmdUI ui(m_hWnd, static_cast<UINT>(b.idCommand));
        ui.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}

void CToolBar::OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    if (!(m_dwStyle & CBRS_FLYBY)) return;
    auto* hot = reinterpret_cast<NMTBHOTITEM*>(pNMHDR);
    CFrameWnd* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    if (!frame) return;
    if (hot->dwFlags & HICF_LEAVING) frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    else frame->SetMessageText(static_cast<UINT>(hot->idNew));
}

// ---- CStatusBar ----

BOOL CStatusBar::Create(HWND hParent, DWORD dwStyle, UINT nID)
{
    DWORD wndStyle = TakeBarStyle(dwStyle) | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER;
    RECT rc{0, 0, 100, 20};
    return CreateControl(0, STATUSCLASSNAMEW, nullptr, wndStyle, rc, hParent, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int nCount)
{
    m_ids.assign(ids, ids + nCount);
    m_widths.assign(static_cast<size_t>(nCount), 0);
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    for (int i = 0; i < nCount; ++i) {
        if (ids[i] == ID_SEPARATOR) continue;
        CString text;
        if (!text.LoadFromResource(ids[i])) {
            SelectObject(hdc, old);
            ReleaseDC(m_hWnd, hdc);
            return FALSE;
        }
        SIZE size{};
        const std::wstring wide = Utf8ToWide(text.str());
        GetTextExtentPoint32W(hdc, wide.c_str(), static_cast<int>(wide.size()), &size);
        m_widths[static_cast<size_t>(i)] = size.cx + 12;
    }
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    UpdatePanes();
    return TRUE;
}

void CStatusBar::UpdatePanes()
{
    if (m_ids.empty()) return;
    RECT rc{};
    GetClientRect(&rc);
    // Indicators keep their widths at the right; the message pane takes the rest.
    int right = rc.right - SystemMetricForDpi(SM_CXVSCROLL, LayoutDpi());
    std::vector<int> edges(m_ids.size());
    for (size_t i = m_ids.size(); i-- > 0;) {
        edges[i] = right > 0 ? right : 0;
        if (m_ids[i] != ID_SEPARATOR) right -= m_widths[i];
    }
    edges.back() = -1;
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::SetPaneText(int nIndex, const char* text)
{
    if (GetPaneText(nIndex) == text) return;
    const std::wstring wide = Utf8ToWide(text ? text : "");
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(wide.c_str()));
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    LRESULT info = SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(nIndex));
    std::wstring text(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text.data()));
    return WideToUtf8(text.c_str());
}

int CStatusBar::CalcHeight(int)
{
    // From the bar's font and borders alone: a height taken from the bar's
    // present size would grow by its borders at every layout.
    TEXTMETRICW metrics{};
    HDC hdc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    const BOOL measured = GetTextMetricsW(hdc, &metrics);
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    int borders[3] = {}; // horizontal, vertical, between panes
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int line =
        std::max(measured ? static_cast<int>(metrics.tmHeight) : 0, SystemMetricForDpi(SM_CYSMICON, LayoutDpi()));
    // The panes' sunken edges take one pixel above and below the line.
    return line + 2 + 2 * std::max(borders[1], 0) + 2;
}

void CStatusBar::OnUpdateCmdUI(CWnd*, BOOL)
{
    // The lock indicators show their text while the key's toggle is on.
    for (size_t i = 0; i < m_ids.size(); ++i) {
        int key = 0;
        switch (m_ids[i]) {
        case ID_INDICATOR_CAPS: key = VK_CAPITAL; break;
        case ID_INDICATOR_NUM: key = VK_NUMLOCK; break;
        case ID_INDICATOR_SCRL: key = VK_SCROLL; break;
        default: continue;
        }
        CString text;
        if (GetKeyState(key) & 1) text.LoadFromResource(m_ids[i]);
        SetPaneText(static_cast<int>(i), text);
    }
}
