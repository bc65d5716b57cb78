// Command routing, update handlers and notification reflection, on real
// windows: an MDI main frame with one document open in a child frame.
#include "framework/CCmdUI.h"
#include "framework/CControlBar.h"
#include "framework/CDialog.h"
#include "framework/CDocTemplate.h"
#include "framework/CFrameWnd.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT ID_TRAIL = 40001;     // every target has a handler that declines
constexpr UINT ID_DOC_ONLY = 40002;  // only the document handles it
constexpr UINT ID_NOBODY = 40003;    // nobody handles it
constexpr UINT ID_CHECKED = 40004;   // the document's update handler checks it
constexpr UINT ID_REFUSED = 40005;   // handled, but the update handler disables it

std::string g_trail;

class RouteDoc : public CDocument {
    DECLARE_MESSAGE_MAP()
public:
    BOOL OnOpenDocument(const char*) override
    {
        ++s_opens;
        return s_openResult;
    }
    BOOL OnNewDocument() override { return s_newResult; }
    BOOL Trail(UINT)
    {
        g_trail += 'D';
        return FALSE;
    }
    void OnDocOnly() { g_trail += "doc"; }
    void OnUpdateChecked(CCmdUI* ui) { ui->SetCheck(1); }
    void OnRefused() {}
    void OnUpdateRefused(CCmdUI* ui) { ui->Enable(FALSE); }

    static int s_opens;
    static BOOL s_openResult;
    static BOOL s_newResult;
};
int RouteDoc::s_opens = 0;
BOOL RouteDoc::s_openResult = TRUE;
BOOL RouteDoc::s_newResult = TRUE;

const MessageMap* RouteDoc::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&RouteDoc::Trail>(ID_TRAIL, ID_TRAIL),
        on::Command<&RouteDoc::OnDocOnly>(ID_DOC_ONLY),
        on::Command<&RouteDoc::OnDocOnly>(ID_CHECKED),
        on::UpdateCommand<&RouteDoc::OnUpdateChecked>(ID_CHECKED),
        on::Command<&RouteDoc::OnRefused>(ID_REFUSED),
        on::UpdateCommand<&RouteDoc::OnUpdateRefused>(ID_REFUSED),
    };
    static const MessageMap map = MessageMap::Of(&CDocument::GetThisMessageMap, entries);
    return &map;
}

class RouteView : public CView {
    DECLARE_MESSAGE_MAP()
public:
    BOOL Trail(UINT)
    {
        g_trail += 'V';
        return FALSE;
    }
};

const MessageMap* RouteView::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&RouteView::Trail>(ID_TRAIL, ID_TRAIL),
    };
    static const MessageMap map = MessageMap::Of(&CView::GetThisMessageMap, entries);
    return &map;
}

class RouteChild : public CMDIChildWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL Trail(UINT)
    {
        g_trail += 'C';
        return FALSE;
    }
};

const MessageMap* RouteChild::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&RouteChild::Trail>(ID_TRAIL, ID_TRAIL),
    };
    static const MessageMap map = MessageMap::Of(&CMDIChildWnd::GetThisMessageMap, entries);
    return &map;
}

class RouteMain : public CMDIFrameWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL Trail(UINT)
    {
        g_trail += 'M';
        return FALSE;
    }
};

const MessageMap* RouteMain::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&RouteMain::Trail>(ID_TRAIL, ID_TRAIL),
    };
    static const MessageMap map = MessageMap::Of(&CMDIFrameWnd::GetThisMessageMap, entries);
    return &map;
}

class RouteApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    RouteApp() : CWinApp("HEFT") {}
    BOOL Trail(UINT)
    {
        g_trail += 'A';
        return FALSE;
    }
};

const MessageMap* RouteApp::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&RouteApp::Trail>(ID_TRAIL, ID_TRAIL),
    };
    static const MessageMap map = MessageMap::Of(&CWinApp::GetThisMessageMap, entries);
    return &map;
}

// An application with its main frame and the route classes' template.
class RoutingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RouteDoc::s_opens = 0;
        RouteDoc::s_openResult = TRUE;
        RouteDoc::s_newResult = TRUE;
        main = new RouteMain;
        ASSERT_TRUE(main->LoadFrame(IDR_MAINFRAME));
        app.m_pMainWnd = main;
        main->ShowWindow(SW_SHOW);
        app.AddDocTemplate(MakeDocTemplate<RouteDoc, RouteChild, RouteView>(IDR_HEFTTYPE));
    }
    void TearDown() override
    {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        PumpPending();
    }
    CDocTemplate& Template() { return *app.GetDocTemplates().front(); }
    int ChildCount() const { return CountChildren(main->m_hWndMDIClient); }

    RouteApp app;
    RouteMain* main = nullptr;
};

} // namespace

TEST_F(RoutingTest, CommandVisitsViewDocumentChildApplicationMainFrameInOrder)
{
    ASSERT_NE(app.OpenDocumentFile("Z:\\routing"), nullptr);
    g_trail.clear();
    main->SendMessage(WM_COMMAND, ID_TRAIL);
    EXPECT_EQ(g_trail, "VDCAM");

    // Without a document window the application comes first, then the main frame.
    app.CloseAllDocuments();
    EXPECT_EQ(ChildCount(), 0);
    g_trail.clear();
    main->SendMessage(WM_COMMAND, ID_TRAIL);
    EXPECT_EQ(g_trail, "AM");
}

TEST_F(RoutingTest, CommandHandledOnceByTheFirstTargetThatTakesIt)
{
    ASSERT_NE(app.OpenDocumentFile("Z:\\routing"), nullptr);
    g_trail.clear();
    main->SendMessage(WM_COMMAND, ID_DOC_ONLY);
    main->SendMessage(WM_COMMAND, MAKEWPARAM(ID_DOC_ONLY, 1)); // as an accelerator sends it
    EXPECT_EQ(g_trail, "docdoc");
}

TEST_F(RoutingTest, MenuItemsFollowUpdateHandlersAndHandlers)
{
    ASSERT_NE(app.OpenDocumentFile("Z:\\routing"), nullptr);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_DOC_ONLY, "Doc only");
    AppendMenuA(popup, MF_STRING, ID_NOBODY, "Nobody");
    AppendMenuA(popup, MF_STRING, ID_CHECKED, "Checked");
    AppendMenuA(popup, MF_STRING, ID_REFUSED, "Refused");
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(GetMenuState(popup, ID_DOC_ONLY, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(popup, ID_NOBODY, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(popup, ID_CHECKED, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(popup, ID_CHECKED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(popup, ID_REFUSED, MF_BYCOMMAND) & MF_GRAYED);

    // With the document closed its commands have no handler any more.
    app.CloseAllDocuments();
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_TRUE(GetMenuState(popup, ID_DOC_ONLY, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(popup);
}

TEST_F(RoutingTest, ToolbarButtonsFollowUpdateHandlersWhenIdle)
{
    CToolBar bar;
    RECT none{0, 0, 0, 0};
    ASSERT_TRUE(bar.CreateEx(main->m_hWnd, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP, none, 100));
    main->DockControlBar(&bar);
    TBBUTTON buttons[3] = {};
    const UINT ids[3] = {ID_DOC_ONLY, ID_NOBODY, ID_CHECKED};
    for (int i = 0; i < 3; ++i) {
        buttons[i].iBitmap = i;
        buttons[i].idCommand = static_cast<int>(ids[i]);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON;
    }
    bar.SendMessage(TB_ADDBUTTONSA, 3, reinterpret_cast<LPARAM>(buttons));

    main->OnIdleUpdateCmdUI();
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_DOC_ONLY)) << "no document open yet";
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_NOBODY));

    ASSERT_NE(app.OpenDocumentFile("Z:\\routing"), nullptr);
    main->OnIdleUpdateCmdUI();
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, ID_DOC_ONLY));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, ID_NOBODY));
    EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_CHECKED));
    EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONCHECKED, ID_DOC_ONLY));
    bar.DestroyWindow();
}

TEST_F(RoutingTest, DocumentManagerReactivatesOpenDocumentAndDropsFailedOnes)
{
    CDocument* first = app.OpenDocumentFile("Z:\\routing");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetPathName(), "Z:\\routing");
    EXPECT_EQ(ChildCount(), 1);
    EXPECT_EQ(::GetMenu(main->m_hWnd), Template().m_hMenuShared) << "a document window shows the template's menu";

    // The same path in other letters is the same document: nothing is opened again.
    CDocument* again = app.OpenDocumentFile("z:\\ROUTING");
    EXPECT_EQ(again, first);
    EXPECT_EQ(RouteDoc::s_opens, 1);
    EXPECT_EQ(ChildCount(), 1);

    // A document that fails to open leaves neither a window nor a document.
    RouteDoc::s_openResult = FALSE;
    EXPECT_EQ(app.OpenDocumentFile("Z:\\other"), nullptr);
    EXPECT_EQ(ChildCount(), 1);
    EXPECT_EQ(Template().GetDocuments().size(), 1u);

    // A template whose documents refuse to be made empty makes nothing.
    RouteDoc::s_newResult = FALSE;
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    EXPECT_EQ(ChildCount(), 1);
    EXPECT_EQ(Template().GetDocuments().size(), 1u);

    // Closing the last document window brings back the main frame's own menu.
    app.CloseAllDocuments();
    EXPECT_EQ(ChildCount(), 0);
    EXPECT_TRUE(Template().GetDocuments().empty());
    EXPECT_EQ(::GetMenu(main->m_hWnd), main->m_hMenuDefault);
}

TEST_F(RoutingTest, FrameTitleCarriesActiveDocumentTitle)
{
    CDocument* doc = app.OpenDocumentFile("Z:\\routing");
    ASSERT_NE(doc, nullptr);
    doc->SetTitle("Local Disk (Z:)");
    EXPECT_EQ(main->GetWindowText(), "Heftscope - Local Disk (Z:)");
    app.CloseAllDocuments();
    EXPECT_EQ(main->GetWindowText(), "Heftscope");
}

// ---- reflection ----

namespace {

class ReflectingControl : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    void OnClick(NMHDR*, LRESULT* result)
    {
        ++clicks;
        *result = 7;
    }
    int clicks = 0;
};

const MessageMap* ReflectingControl::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::NotifyReflect<&ReflectingControl::OnClick>(NM_CLICK),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

class NotifiedParent : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    void OnChildClick(NMHDR*, LRESULT*) { ++clicks; }
    void OnChildDblClick(NMHDR*, LRESULT*) { ++doubleClicks; }
    int clicks = 0;
    int doubleClicks = 0;
};

const MessageMap* NotifiedParent::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Notify<&NotifiedParent::OnChildClick>(NM_CLICK, 5),
        on::Notify<&NotifiedParent::OnChildDblClick>(NM_DBLCLK, 5),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

} // namespace

TEST(Reflection, ControlGetsItsOwnNotificationBeforeItsParent)
{
    NotifiedParent parent;
    RECT rc{0, 0, 200, 100};
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_OVERLAPPEDWINDOW, rc, nullptr, 0));
    ReflectingControl control;
    ASSERT_TRUE(control.CreateControl(0, L"STATIC", "", WS_CHILD | WS_VISIBLE, rc, parent.m_hWnd, 5));
    EXPECT_EQ(CWnd::FromHandlePermanent(control.m_hWnd), &control);
    EXPECT_EQ(CWnd::FromHandlePermanent(parent.m_hWnd), &parent);

    NMHDR click{control.m_hWnd, 5, static_cast<UINT>(NM_CLICK)};
    LRESULT result = parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(control.clicks, 1);
    EXPECT_EQ(parent.clicks, 0);
    EXPECT_EQ(result, 7);

    NMHDR dbl{control.m_hWnd, 5, static_cast<UINT>(NM_DBLCLK)};
    parent.SendMessage(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&dbl));
    EXPECT_EQ(parent.doubleClicks, 1);

    // The binding ends with the window.
    HWND hControl = control.m_hWnd;
    ::DestroyWindow(hControl);
    EXPECT_EQ(control.m_hWnd, nullptr);
    parent.DestroyWindow();
    EXPECT_EQ(parent.m_hWnd, nullptr);
}

// ---- dialog data exchange ----

namespace {

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog() : CDialog(IDD_ITEMPROPERTIES) {}
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_ITEM_NAME, m_strName); }
    CString m_strName;
};

} // namespace

TEST(DialogExchange, FieldsGoToControlsOnInitAndBackOnSave)
{
    RouteApp app;
    ExchangeDialog dialog;
    dialog.m_strName = "naïve-文件";
    ASSERT_TRUE(dialog.Create(IDD_ITEMPROPERTIES));
    EXPECT_EQ(GetWindowTextUtf8(dialog.GetDlgItem(IDC_ITEM_NAME)), "naïve-文件");
    SetWindowTextUtf8(dialog.GetDlgItem(IDC_ITEM_NAME), "changed");
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.m_strName, "changed");
    EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.m_hWnd, nullptr);
}
