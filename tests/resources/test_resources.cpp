// Checks the compiled resources linked into this executable: strings, menus,
// accelerators, toolbar description, dialog templates, bitmaps, icons and the
// manifest, read back through the same Win32 calls the program uses.

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/CFileFind.h"
#include "framework/CWnd.h"
#include "resources/resource.h"
#include "tests/common/TestWindows.h"

namespace {

HINSTANCE Module()
{
    return GetModuleHandleW(nullptr);
}

// Text of a string resource, exactly as stored; "<missing>" when absent.
std::wstring ResourceString(UINT id)
{
    const wchar_t* text = nullptr;
    int length = LoadStringW(Module(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr)
        return L"<missing>";
    return std::wstring(text, static_cast<size_t>(length));
}

struct MenuHandle {
    HMENU menu;
    explicit MenuHandle(UINT id) : menu(LoadMenuW(Module(), MAKEINTRESOURCEW(id))) {}
    ~MenuHandle() { if (menu) DestroyMenu(menu); }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
};

// One line per item: "text=id", "-" for a separator, popups indented.
void DescribeMenu(HMENU menu, const std::string& indent, std::string& out,
                  std::vector<UINT>& commands)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        if (info.fType & MFT_SEPARATOR) {
            out += indent + "-\n";
        } else if (info.hSubMenu) {
            out += indent + MenuItemText(menu, static_cast<UINT>(i)) + "\n";
            DescribeMenu(info.hSubMenu, indent + "  ", out, commands);
        } else {
            out += indent + MenuItemText(menu, static_cast<UINT>(i)) + "=" +
                   std::to_string(info.wID) + "\n";
            commands.push_back(info.wID);
        }
    }
}

struct MenuDescription {
    std::string text;
    std::vector<UINT> commands;
};

MenuDescription Describe(UINT id)
{
    MenuDescription result;
    MenuHandle menu(id);
    if (!menu.menu) {
        result.text = "<missing>";
        return result;
    }
    DescribeMenu(menu.menu, "", result.text, result.commands);
    return result;
}

std::vector<WORD> ToolbarWords()
{
    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                MAKEINTRESOURCEW(RT_TOOLBAR_TYPE));
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(Module(), found);
    const auto* words = static_cast<const WORD*>(LockResource(loaded));
    DWORD size = SizeofResource(Module(), found);
    if (!words)
        return {};
    return std::vector<WORD>(words, words + size / sizeof(WORD));
}

// The commands a status-bar prompt is shown for must each have one.
void ExpectPrompt(UINT id)
{
    std::wstring prompt = ResourceString(id);
    size_t newline = prompt.find(L'\n');
    ASSERT_NE(newline, std::wstring::npos) << "command " << id << ": " << WideToUtf8(prompt).str();
    EXPECT_GT(newline, 0u) << "command " << id << " has no status text";
    EXPECT_LT(newline + 1, prompt.size()) << "command " << id << " has no tooltip";
}

} // namespace

TEST(Resources, StringTable)
{
    struct Entry {
        UINT id;
        const wchar_t* text;
    };
    const Entry strings[] = {
        {128, L"Heftscope"},
        {129, L"\nHeftTree\nHeftTree\n\n\nHeft95.Document\nHeft9 Document"},
        {107, L"Scanning Drive"},
        {108, L"Deleting"},
        {57344, L"HEFT"},
        {57345, L"Ready"},
        {59137, L"CAP"},
        {59138, L"NUM"},
        {59139, L"SCRL"},
        {32783, L"Open the selection\nOpen"},
        {32785, L"Delete the selection\nDelete"},
        {32784, L"Display properties for the selection\nProperties"},
        {32788, L"Display properties for the drive\nProperties"},
        {32792, L"Rescan the drive\nRefresh"},
        {32795, L"Search the folder selected in the tree again\nRefresh Folder"},
        {32793, L"Display size relative to entire disk\nDisk vs. Directory"},
        {32794, L"List ten biggest directories on the drive\nTop Ten"},
        {57607, L"Print the current directory list\nPrint"},
        {57609, L"Preview the current directory list\nPreview"},
        {32798, L"Save the list as a CSV file\nExport"},
        {57606, L"Print Setup\nPrint Setup"},
    };
    for (const Entry& entry : strings)
        EXPECT_EQ(WideToUtf8(ResourceString(entry.id)), WideToUtf8(entry.text)) << "string " << entry.id;

    // Drive buttons: "Drive C:\nC:" for 252, and so on from A (250) to Z (275).
    for (UINT id = ID_DRIVE_A; id <= ID_DRIVE_Z; ++id) {
        char letter = static_cast<char>('A' + (id - ID_DRIVE_A));
        std::string expected = std::string("Drive ") + letter + ":\n" + letter + ":";
        EXPECT_EQ(WideToUtf8(ResourceString(id)).str(), expected) << "string " << id;
    }
    EXPECT_EQ(ResourceString(ID_DRIVE_Z + 1), L"<missing>");

    // The unused list template string has the document-string form: seven fields.
    std::wstring list = ResourceString(IDR_LISTTYPE);
    EXPECT_EQ(std::count(list.begin(), list.end(), L'\n'), 6) << WideToUtf8(list).str();
    EXPECT_EQ(list.substr(0, 1), L"\n");
}

TEST(Resources, Menus)
{
    MenuDescription main = Describe(IDR_MAINFRAME);
    EXPECT_EQ(main.text,
              "&File\n"
              "  Print &Setup...=57606\n"
              "  -\n"
              "  E&xit=57665\n"
              "&View\n"
              "  &Toolbar=59392\n"
              "  &Status Bar=59393\n"
              "&Help\n"
              "  &Help Contents...=32786\n"
              "  -\n"
              "  &About Heft...=57664\n");

    MenuDescription document = Describe(IDR_HEFTTYPE);
    EXPECT_EQ(document.text,
              "&Drive\n"
              "  &Properties=32788\n"
              "  -\n"
              "  Prin&t...=57607\n"
              "  Print Pre&view...=57609\n"
              "  E&xport List...=32798\n"
              "  Print &Setup...=57606\n"
              "  -\n"
              "  &Close=57602\n"
              "  E&xit=57665\n"
              "&Action\n"
              "  &Open=32783\n"
              "  &Delete=32785\n"
              "  -\n"
              "  &Up One Level=32791\n"
              "  &Refresh=32792\n"
              "  Refresh &Folder=32795\n"
              "&View\n"
              "  &Toolbar=59392\n"
              "  &Status Bar=59393\n"
              "  -\n"
              "  Disk vs. Directory=32793\n"
              "  Top &10 Directories=32794\n"
              "  Largest &Files=32796\n"
              "  File &Types=32797\n"
              "  &Changes Since...=32799\n"
              "  -\n"
              "  &Folder Properties=32784\n"
              "&Window\n"
              "  &Cascade=57650\n"
              "  &Tile=57651\n"
              "  &Arrange Icons=57649\n"
              "  S&plit=57653\n"
              "&Help\n"
              "  &Help Contents...=32786\n"
              "  -\n"
              "  &About Heft...=57664\n");

    // The list's context menu is the first popup of menu 109.
    MenuHandle context(IDR_CONTEXTMENU);
    ASSERT_NE(context.menu, nullptr);
    HMENU popup = GetSubMenu(context.menu, 0);
    ASSERT_NE(popup, nullptr);
    std::string contextText;
    std::vector<UINT> contextCommands;
    DescribeMenu(popup, "", contextText, contextCommands);
    EXPECT_EQ(contextText,
              "&Open=32783\n"
              "&Delete=32785\n"
              "-\n"
              "&Properties=32784\n");

    // Document and view commands appear only while a drive is open.
    const UINT documentCommands[] = {
        ID_ACTION_OPEN, ID_ITEM_PROPERTIES, ID_ACTION_DELETE, ID_DRIVE_PROPERTIES,
        ID_UP_ONE_LEVEL, ID_REFRESH, ID_REFRESH_FOLDER, ID_DISK_VS_DIRECTORY, ID_TOP_TEN,
        ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW, ID_EXPORT_LIST, ID_FILE_CLOSE,
        ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_WINDOW_SPLIT,
    };
    std::set<UINT> inMain(main.commands.begin(), main.commands.end());
    std::set<UINT> inDocument(document.commands.begin(), document.commands.end());
    for (UINT id : documentCommands) {
        EXPECT_EQ(inDocument.count(id), 1u) << "menu 129 lacks " << id;
        EXPECT_EQ(inMain.count(id), 0u) << "menu 128 offers " << id;
    }
    // Every command a menu offers has a status-bar prompt and a tooltip.
    for (UINT id : inDocument)
        ExpectPrompt(id);
    for (UINT id : inMain)
        ExpectPrompt(id);
}

TEST(Resources, AcceleratorsAndToolbar)
{
    HACCEL table = LoadAcceleratorsW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(table, nullptr);
    int count = CopyAcceleratorTableW(table, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(std::max(count, 0)));
    if (count > 0)
        CopyAcceleratorTableW(table, entries.data(), count);
    DestroyAcceleratorTable(table);

    const BYTE key = FVIRTKEY | FNOINVERT;
    const ACCEL expected[] = {
        {key | FCONTROL, 'C', 57634},       {key | FCONTROL, VK_INSERT, 57634},
        {key | FCONTROL, 'N', 57600},       {key | FCONTROL, 'O', 57601},
        {key | FCONTROL, 'S', 57603},       {key | FCONTROL, 'V', 57637},
        {key | FSHIFT, VK_INSERT, 57637},   {key | FALT, VK_BACK, 57643},
        {key | FCONTROL, 'Z', 57643},       {key | FSHIFT, VK_DELETE, 57635},
        {key | FCONTROL, 'X', 57635},       {key, VK_F1, 32786},
        {key, VK_F5, 32792},                {key | FSHIFT, VK_F5, 32795},
        {key, VK_F6, 57680},                {key | FSHIFT, VK_F6, 57681},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].fVirt, expected[i].fVirt) << "entry " << i;
        EXPECT_EQ(entries[i].key, expected[i].key) << "entry " << i;
        EXPECT_EQ(entries[i].cmd, expected[i].cmd) << "entry " << i;
    }

    // Version 1, 16x16 images, 9 items: Print | Refresh, Up | Disk vs.
    // Directory, Top Ten, Delete, Properties.
    const std::vector<WORD> toolbar = {1, 16, 16, 11, 57607, 0, 32792, 32791, 0,
                                       32793, 32794, 32796, 32797, 32785, 32784};
    std::vector<WORD> words = ToolbarWords();
    EXPECT_EQ(words, toolbar);
    for (size_t i = 4; i < words.size(); ++i)
        if (words[i] != 0)
            ExpectPrompt(words[i]);
}

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void LoadCommonControls()
{
    // Registers the progress bar class (comctl32 6 through the manifest).
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
    ASSERT_NE(init, nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    EXPECT_TRUE(init(&icc));
}

enum class Kind { Button, DefButton, Group, Left, Right, Center, Etched, Picture, Progress };

struct Control {
    int id;
    Kind kind;
    const char* text;  // unused for pictures
    int x, y, cx, cy;  // dialog units
    int picturePixels; // side of the picture's bitmap, for pictures
};

struct DialogWindow {
    HWND hwnd;
    explicit DialogWindow(UINT id)
        : hwnd(CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), nullptr, QuietDialogProc, 0)) {}
    ~DialogWindow() { if (hwnd) DestroyWindow(hwnd); }
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;
};

std::string ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return WideToUtf8(name).str();
}

// What the window cannot tell: the template's own styles and font size.
struct TemplateInfo {
    DWORD style = 0;
    WORD pointSize = 0;
    std::vector<DWORD> itemStyles;
};

// Skips a sz_Or_Ord field: 0xFFFF and an ordinal, or a terminated wide string.
const WORD* SkipNameOrOrdinal(const WORD* p)
{
    if (*p == 0xFFFF)
        return p + 2;
    while (*p)
        ++p;
    return p + 1;
}

const WORD* AlignDword(const WORD* p, const BYTE* base)
{
    size_t offset = static_cast<size_t>(reinterpret_cast<const BYTE*>(p) - base);
    return reinterpret_cast<const WORD*>(base + ((offset + 3) & ~size_t{3}));
}

TemplateInfo ReadTemplate(UINT id)
{
    TemplateInfo info;
    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
    if (!found)
        return info;
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(Module(), found)));
    if (!base)
        return info;
    DLGTEMPLATE header;
    std::memcpy(&header, base, sizeof(header));
    info.style = header.style;
    const WORD* p = reinterpret_cast<const WORD*>(base + sizeof(DLGTEMPLATE));
    p = SkipNameOrOrdinal(p); // menu
    p = SkipNameOrOrdinal(p); // class
    p = SkipNameOrOrdinal(p); // title
    if (header.style & DS_SETFONT) {
        info.pointSize = *p++;
        p = SkipNameOrOrdinal(p);
    }
    for (WORD i = 0; i < header.cdit; ++i) {
        p = AlignDword(p, base);
        DLGITEMTEMPLATE item;
        std::memcpy(&item, p, sizeof(item));
        info.itemStyles.push_back(item.style);
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + sizeof(DLGITEMTEMPLATE));
        p = SkipNameOrOrdinal(p); // class
        p = SkipNameOrOrdinal(p); // text
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    }
    return info;
}

void CheckDialog(UINT id, const char* caption, int cx, int cy, bool visible,
                 const std::vector<Control>& controls)
{
    SCOPED_TRACE("dialog " + std::to_string(id));
    DialogWindow dialog(id);
    ASSERT_NE(dialog.hwnd, nullptr);
    HWND dlg = dialog.hwnd;

    TemplateInfo raw = ReadTemplate(id);
    DWORD wantStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    EXPECT_EQ(raw.style, wantStyle | (visible ? WS_VISIBLE : 0));
    EXPECT_EQ(raw.pointSize, 8);
    EXPECT_EQ(raw.itemStyles.size(), controls.size());

    EXPECT_EQ(GetWindowTextUtf8(dlg).str(), caption);
    LONG_PTR style = GetWindowLongPtrW(dlg, GWL_STYLE);
    EXPECT_EQ(style & WS_POPUP, WS_POPUP);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(style & WS_SYSMENU, WS_SYSMENU);
    EXPECT_NE(GetWindowLongPtrW(dlg, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME, 0);
    EXPECT_EQ(IsWindowVisible(dlg) != FALSE, visible);

    RECT size{0, 0, cx, cy};
    MapDialogRect(dlg, &size);
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    // The font is the template's own, not the system font.
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW logfont{};
    GetObjectW(font, sizeof(logfont), &logfont);
    EXPECT_STREQ(logfont.lfFaceName, L"MS Sans Serif");

    size_t index = 0;
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, controls.size()) << "unexpected control " << GetWindowTextUtf8(child).str();
        const Control& want = controls[index];
        SCOPED_TRACE("control " + std::to_string(index) + " " + (want.text ? want.text : ""));

        EXPECT_EQ(GetDlgCtrlID(child), want.id);
        LONG_PTR cs = GetWindowLongPtrW(child, GWL_STYLE);
        std::string cls = ClassOf(child);
        switch (want.kind) {
        case Kind::Button:
        case Kind::DefButton:
        case Kind::Group:
            EXPECT_EQ(_stricmp(cls.c_str(), "Button"), 0) << cls;
            EXPECT_EQ(cs & BS_TYPEMASK, want.kind == Kind::Button      ? BS_PUSHBUTTON
                                        : want.kind == Kind::DefButton ? BS_DEFPUSHBUTTON
                                                                       : BS_GROUPBOX);
            break;
        case Kind::Progress:
            EXPECT_EQ(cls, "msctls_progress32");
            // The window's border is the control's own choice; the template's is ours.
            ASSERT_LT(index, raw.itemStyles.size());
            EXPECT_NE(raw.itemStyles[index] & WS_BORDER, 0u);
            break;
        default: {
            EXPECT_EQ(_stricmp(cls.c_str(), "Static"), 0) << cls;
            LONG_PTR type = cs & SS_TYPEMASK;
            LONG_PTR wantType = want.kind == Kind::Left     ? SS_LEFT
                                : want.kind == Kind::Right  ? SS_RIGHT
                                : want.kind == Kind::Center ? SS_CENTER
                                : want.kind == Kind::Etched ? SS_ETCHEDHORZ
                                                            : SS_BITMAP;
            EXPECT_EQ(type, wantType);
        }
        }

        // The dialog manager converts position and size each on its own.
        RECT expected{want.x, want.y, want.cx, want.cy};
        MapDialogRect(dlg, &expected);
        RECT actual{};
        GetWindowRect(child, &actual);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);

        if (want.kind == Kind::Picture) {
            // The picture control takes its bitmap's size.
            HBITMAP bitmap = reinterpret_cast<HBITMAP>(
                SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
            ASSERT_NE(bitmap, nullptr);
            BITMAP info{};
            GetObjectW(bitmap, sizeof(info), &info);
            EXPECT_EQ(info.bmWidth, want.picturePixels);
            EXPECT_EQ(info.bmHeight, want.picturePixels);
        } else {
            EXPECT_EQ(GetWindowTextUtf8(child).str(), want.text);
            if (want.kind != Kind::Etched) {
                EXPECT_EQ(actual.right - actual.left, expected.right);
                EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
            }
        }
    }
    EXPECT_EQ(index, controls.size());
}

} // namespace

TEST(Resources, Dialogs)
{
    LoadCommonControls();
    const int none = 0xFFFF; // a control without an id of its own

    CheckDialog(IDD_ABOUTBOX, "About Heft", 281, 98, false, {
        {none, Kind::Picture, nullptr, 7, 7, 48, 44, 72},
        {none, Kind::Left, "Heftscope 2002", 75, 10, 119, 8, 0},
        {none, Kind::Etched, "", 74, 20, 156, 1, 0},
        {none, Kind::Left, "Made by Tamrisk Architects.", 75, 25, 156, 8, 0},
        {none, Kind::Left, "Heftscope shows where the space", 75, 35, 156, 8, 0},
        {none, Kind::Left, "on your drives has gone.", 75, 45, 156, 8, 0},
        {none, Kind::Left, "Comments are always welcome.", 75, 55, 156, 8, 0},
        {none, Kind::Etched, "", 75, 66, 156, 1, 0},
        {none, Kind::Left, "Copyright (C) 2002 Tamrisk Architects", 75, 71, 156, 8, 0},
        {IDOK, Kind::DefButton, "OK", 234, 7, 40, 15, 0},
    });

    CheckDialog(IDD_SCANPROGRESS, "", 197, 79, true, {
        {IDCANCEL, Kind::DefButton, "Cancel", 67, 58, 50, 14, 0},
        {IDC_PROGRESS, Kind::Progress, "", 15, 34, 154, 13, 0},
        {IDC_PERCENT, Kind::Left, " 0 %", 89, 22, 18, 8, 0},
        {IDC_STATUS, Kind::Left, "", 13, 7, 158, 8, 0},
    });

    CheckDialog(IDD_DRIVEPROPERTIES, "Disk Properties", 214, 254, false, {
        {IDOK, Kind::DefButton, "OK", 157, 7, 50, 14, 0},
        {none, Kind::Picture, nullptr, 7, 27, 13, 12, 20},
        {none, Kind::Left, "Used Space", 25, 28, 41, 10, 0},
        {none, Kind::Picture, nullptr, 7, 45, 13, 12, 20},
        {none, Kind::Left, "Free Space", 25, 46, 39, 10, 0},
        {none, Kind::Group, "Metrics", 13, 85, 194, 54, 0},
        {none, Kind::Right, "Bytes per Sector:", 31, 95, 91, 10, 0},
        {103, Kind::Left, "Static", 131, 95, 54, 8, 0},
        {none, Kind::Right, "Sectors per Cluster:", 31, 105, 91, 10, 0},
        {118, Kind::Left, "Static", 131, 104, 54, 10, 0},
        {none, Kind::Right, "Total Clusters:", 31, 115, 91, 10, 0},
        {119, Kind::Left, "Static", 131, 115, 54, 10, 0},
        {none, Kind::Right, "Available Clusters:", 31, 125, 91, 10, 0},
        {123, Kind::Left, "Static", 131, 126, 54, 10, 0},
        {none, Kind::Group, "Statistics", 13, 144, 194, 48, 0},
        {none, Kind::Right, "Drive Size:", 27, 154, 97, 10, 0},
        {120, Kind::Right, "Static", 133, 154, 54, 10, 0},
        {none, Kind::Right, "Available Space:", 27, 165, 97, 10, 0},
        {121, Kind::Right, "Static", 133, 165, 54, 10, 0},
        {none, Kind::Right, "Space Used:", 25, 176, 99, 10, 0},
        {122, Kind::Right, "Static", 133, 176, 54, 10, 0},
        {none, Kind::Group, "Other", 13, 197, 194, 45, 0},
        {none, Kind::Right, "Disk Serial Number:", 21, 207, 95, 10, 0},
        {124, Kind::Right, "Static", 126, 207, 54, 10, 0},
        {none, Kind::Right, "File System:", 26, 217, 90, 10, 0},
        {125, Kind::Right, "Static", 126, 217, 54, 10, 0},
        {1018, Kind::Center, "This drive is compressed", 21, 228, 180, 8, 0},
    });

    CheckDialog(IDD_ITEMPROPERTIES, "Properties", 212, 103, false, {
        {IDOK, Kind::DefButton, "OK", 168, 4, 37, 14, 0},
        {none, Kind::Right, "Item Name:", 7, 10, 54, 10, 0},
        {1005, Kind::Left, "Folder Name", 67, 10, 99, 10, 0},
        {none, Kind::Right, "Item Type:", 7, 26, 56, 10, 0},
        {1007, Kind::Left, "Folder Type", 67, 26, 100, 10, 0},
        {none, Kind::Right, "Space Used:", 7, 42, 56, 10, 0},
        {1004, Kind::Left, "Space Used", 67, 42, 104, 10, 0},
        {none, Kind::Right, "Last Written:", 7, 58, 56, 10, 0},
        {1008, Kind::Left, "Last Written", 67, 58, 70, 10, 0},
        {none, Kind::Right, "Percent of Drive:", 7, 74, 56, 10, 0},
        {1006, Kind::Left, "Percent Used", 67, 74, 70, 10, 0},
    });
}

namespace {

// A bitmap resource loaded as a DIB section and selected into a memory DC.
class LoadedBitmap {
public:
    explicit LoadedBitmap(UINT id)
        : m_bitmap(static_cast<HBITMAP>(LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_BITMAP,
                                                   0, 0, LR_CREATEDIBSECTION))),
          m_dc(CreateCompatibleDC(nullptr))
    {
        if (m_bitmap) {
            GetObjectW(m_bitmap, sizeof(m_section), &m_section);
            m_old = SelectObject(m_dc, m_bitmap);
        }
    }
    ~LoadedBitmap()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        if (m_bitmap)
            DeleteObject(m_bitmap);
    }
    LoadedBitmap(const LoadedBitmap&) = delete;
    LoadedBitmap& operator=(const LoadedBitmap&) = delete;

    bool Loaded() const { return m_bitmap != nullptr; }
    int Width() const { return m_section.dsBm.bmWidth; }
    int Height() const { return m_section.dsBm.bmHeight; }
    int Bits() const { return m_section.dsBm.bmBitsPixel; }
    COLORREF Pixel(int x, int y) const { return GetPixel(m_dc, x, y); }

private:
    HBITMAP m_bitmap;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
    DIBSECTION m_section{};
};

const COLORREF kSilver = RGB(192, 192, 192);

void CheckStrip(UINT id, int images)
{
    SCOPED_TRACE("bitmap " + std::to_string(id));
    LoadedBitmap bitmap(id);
    ASSERT_TRUE(bitmap.Loaded());
    EXPECT_EQ(bitmap.Width(), 16 * images);
    EXPECT_EQ(bitmap.Height(), 16);
    EXPECT_EQ(bitmap.Bits(), 24);
    EXPECT_EQ(bitmap.Pixel(0, 0), kSilver);
    for (int x = 0; x < bitmap.Width(); ++x)
        EXPECT_EQ(bitmap.Pixel(x, 15), kSilver) << "x " << x;
    // Every image is drawn, not left blank.
    for (int image = 0; image < images; ++image) {
        int drawn = 0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += bitmap.Pixel(image * 16 + x, y) != kSilver;
        EXPECT_GT(drawn, 20) << "image " << image;
    }
}

// Number of pixels, rows 0 to 14, that differ between two strips of one size.
int DifferentPixels(UINT a, UINT b, int image)
{
    LoadedBitmap first(a), second(b);
    int count = 0;
    for (int y = 0; y < 15; ++y)
        for (int x = image * 16; x < image * 16 + 16; ++x)
            count += first.Pixel(x, y) != second.Pixel(x, y);
    return count;
}

void CheckDisabledIsGrey(UINT id)
{
    SCOPED_TRACE("bitmap " + std::to_string(id));
    LoadedBitmap bitmap(id);
    ASSERT_TRUE(bitmap.Loaded());
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            COLORREF c = bitmap.Pixel(x, y);
            EXPECT_TRUE(GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c))
                << "(" << x << "," << y << ")";
        }
}

} // namespace

TEST(Resources, ToolbarBitmaps)
{
    CheckStrip(IDB_TOOLBAR, 9);
    CheckStrip(IDB_TOOLBAR_DISABLED, 9);
    CheckStrip(IDB_TOOLBAR_HOT, 9);
    CheckStrip(IDB_DRIVES, 5);
    CheckStrip(IDB_DRIVES_DISABLED, 5);
    CheckStrip(IDB_DRIVES_HOT, 5);

    // Each state has its own look for every image.
    for (int image = 0; image < 9; ++image) {
        EXPECT_GT(DifferentPixels(IDB_TOOLBAR, IDB_TOOLBAR_DISABLED, image), 0) << image;
        EXPECT_GT(DifferentPixels(IDB_TOOLBAR, IDB_TOOLBAR_HOT, image), 0) << image;
    }
    for (int image = 0; image < 5; ++image) {
        EXPECT_GT(DifferentPixels(IDB_DRIVES, IDB_DRIVES_DISABLED, image), 0) << image;
        EXPECT_GT(DifferentPixels(IDB_DRIVES, IDB_DRIVES_HOT, image), 0) << image;
    }
    CheckDisabledIsGrey(IDB_TOOLBAR_DISABLED);
    CheckDisabledIsGrey(IDB_DRIVES_DISABLED);

    LoadedBitmap classic(IDR_MAINFRAME);
    ASSERT_TRUE(classic.Loaded());
    EXPECT_EQ(classic.Width(), 144);
    EXPECT_EQ(classic.Height(), 16);
    EXPECT_EQ(classic.Bits(), 4);
}

TEST(Resources, OtherBitmapsAndIcons)
{
    LoadedBitmap about(IDB_ABOUT);
    ASSERT_TRUE(about.Loaded());
    EXPECT_EQ(about.Width(), 72);
    EXPECT_EQ(about.Height(), 72);

    struct Legend {
        UINT id;
        COLORREF fill;
    };
    for (Legend legend : {Legend{IDB_FREE_LEGEND, RGB(0, 255, 0)}, Legend{IDB_USED_LEGEND, RGB(0, 0, 255)}}) {
        SCOPED_TRACE("bitmap " + std::to_string(legend.id));
        LoadedBitmap bitmap(legend.id);
        ASSERT_TRUE(bitmap.Loaded());
        EXPECT_EQ(bitmap.Width(), 20);
        EXPECT_EQ(bitmap.Height(), 20);
        EXPECT_EQ(bitmap.Bits(), 4);
        for (int i = 0; i < 20; ++i) {
            EXPECT_EQ(bitmap.Pixel(i, 0), RGB(0, 0, 0));
            EXPECT_EQ(bitmap.Pixel(i, 19), RGB(0, 0, 0));
            EXPECT_EQ(bitmap.Pixel(0, i), RGB(0, 0, 0));
            EXPECT_EQ(bitmap.Pixel(19, i), RGB(0, 0, 0));
        }
        for (int y = 1; y < 19; ++y)
            for (int x = 1; x < 19; ++x)
                ASSERT_EQ(bitmap.Pixel(x, y), legend.fill) << "(" << x << "," << y << ")";
    }

    for (UINT id : {IDR_MAINFRAME, IDR_HEFTTYPE}) {
        for (int side : {16, 32}) {
            SCOPED_TRACE("icon " + std::to_string(id) + " at " + std::to_string(side));
            HICON icon = static_cast<HICON>(
                LoadImageW(Module(), MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, 0));
            ASSERT_NE(icon, nullptr);
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour{};
            ASSERT_NE(info.hbmColor, nullptr);
            GetObjectW(info.hbmColor, sizeof(colour), &colour);
            EXPECT_EQ(colour.bmWidth, side);
            EXPECT_EQ(colour.bmHeight, side);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

TEST(Resources, Manifest)
{
    // Narrow calls take and return UTF-8.
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));

    // The common controls of version 6 are the ones loaded: the side-by-side
    // assembly's copy (Wine's copy reports 5.81 as its version, so the
    // version number alone cannot tell).
    HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    using VersionFn = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto version = reinterpret_cast<VersionFn>(
        reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")));
    ASSERT_NE(version, nullptr);
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    ASSERT_EQ(version(&info), S_OK);
    CString modulePath = GetModuleFileNameUtf8(comctl);
    modulePath.MakeLower();
    const std::string path = modulePath.str();
    bool sideBySide = path.find("microsoft.windows.common-controls_6595b64144ccf1df_6.") !=
                      std::string::npos;
    EXPECT_TRUE(info.dwMajorVersion >= 6 || sideBySide) << path;

    HRSRC found = FindResourceW(Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(Module(), found)));
    ASSERT_NE(text, nullptr);
    std::string manifest(text, SizeofResource(Module(), found));
    EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                            "WindowsSettings\">true</longPathAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}
