// Filling the contents list: subfolder rows from the model, file rows from the
// disk at this moment, largest first.
#include "document/CHeftDoc.h"

#include "framework/CFileFind.h"
#include "model/CDirEntry.h"
#include "views/CHeftList.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

// What the list shows of an entry from the shell: its small icon (an index
// into the system image list) and its type name.
struct ShellAnswer {
    int icon = 0;
    CString type;
};

// Asks the shell about a path. The answer carries no icon handle (that would
// be one icon per row for somebody to destroy); the index is all the list needs.
bool AskShellAboutPath(const CString& path, ShellAnswer* answer)
{
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(Utf8ToWide(path.str()).c_str(), 0, &info, sizeof(info),
                        SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME)) {
        return false;
    }
    answer->icon = info.iIcon;
    answer->type = WideToUtf8(info.szTypeName);
    return true;
}

// The shell's answer for an entry of this kind and name without looking at the
// disk: what a row shows when the shell cannot take its path (one too long for
// it, for example).
ShellAnswer AskShellAboutKind(const CString& name, bool folder)
{
    SHFILEINFOW info{};
    SHGetFileInfoW(Utf8ToWide(name.str()).c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info,
                   sizeof(info), SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME);
    return ShellAnswer{info.iIcon, WideToUtf8(info.szTypeName)};
}

ShellAnswer AskShell(const CString& path, const CString& name, bool folder)
{
    ShellAnswer answer;
    if (!AskShellAboutPath(path, &answer)) answer = AskShellAboutKind(name, folder);
    return answer;
}

// The extension of a file name as the shell takes it: from the last dot on
// (".txt"), or empty.
std::string ExtensionOf(const CString& name)
{
    const int dot = name.ReverseFind('.');
    if (dot < 0) return std::string();
    return name.str().substr(static_cast<size_t>(dot));
}

class RegKey {
public:
    RegKey(HKEY parent, const std::wstring& path)
    {
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &m_hKey) != ERROR_SUCCESS) m_hKey = nullptr;
    }
    ~RegKey()
    {
        if (m_hKey) RegCloseKey(m_hKey);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool IsOpen() const { return m_hKey != nullptr; }
    // The key's default value as text, or empty.
    std::wstring DefaultValue() const
    {
        if (!m_hKey) return std::wstring();
        DWORD type = 0, bytes = 0;
        if (RegQueryValueExW(m_hKey, nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        if (RegQueryValueExW(m_hKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
            ERROR_SUCCESS)
            return {};
        value.resize(wcsnlen(value.c_str(), value.size()));
        return value;
    }

private:
    HKEY m_hKey = nullptr;
};

// Whether files of this extension may show icons of their own: programs,
// shortcuts, icon and cursor files and the like carry or point at their own
// icon, and a registered type whose default icon is the file itself ("%1") or
// that has an icon handler draws one per file.
bool IconIsPerFile(const std::string& extension)
{
    static const char* const ownIcons[] = {".exe", ".lnk", ".ico", ".cur", ".ani", ".url", ".scr", ".cpl",
                                           ".msc", ".com", ".pif", ".dll", ".msi", ".appref-ms", ".library-ms",
                                           ".website", ".theme", ".desktop", ".icl"};
    CString lower(extension);
    lower.MakeLower();
    for (const char* own : ownIcons) {
        if (lower == own) return true;
    }
    const std::wstring ext = Utf8ToWide(extension);
    if (ext.empty()) return false;
    if (RegKey(HKEY_CLASSES_ROOT, ext + L"\\ShellEx\\IconHandler").IsOpen()) return true;
    if (RegKey(HKEY_CLASSES_ROOT, L"SystemFileAssociations\\" + ext + L"\\ShellEx\\IconHandler").IsOpen())
        return true;
    const std::wstring progId = RegKey(HKEY_CLASSES_ROOT, ext).DefaultValue();
    if (progId.empty()) return false;
    if (RegKey(HKEY_CLASSES_ROOT, progId + L"\\ShellEx\\IconHandler").IsOpen()) return true;
    const std::wstring icon = RegKey(HKEY_CLASSES_ROOT, progId + L"\\DefaultIcon").DefaultValue();
    return icon.find(L"%1") != std::wstring::npos;
}

// A COM interface pointer released when it goes.
template <class I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (m_p) m_p->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    I** Receive() { return &m_p; }
    I* operator->() const { return m_p; }
    I* Get() const { return m_p; }

private:
    I* m_p = nullptr;
};

// An item identifier list the shell allocated, freed when it goes.
class ShellPidl {
public:
    ShellPidl() = default;
    ~ShellPidl() { CoTaskMemFree(m_pidl); }
    ShellPidl(const ShellPidl&) = delete;
    ShellPidl& operator=(const ShellPidl&) = delete;
    ITEMIDLIST** Receive() { return &m_pidl; }
    const ITEMIDLIST* Get() const { return m_pidl; }

private:
    ITEMIDLIST* m_pidl = nullptr;
};

// The folder of a listing as the shell sees it, bound on first use. Asking
// the shell about an item of a bound folder costs the same in any folder,
// while asking about a full path makes Wine read the whole folder the path
// ends in: 7 ms a question in a folder of 10,000 files, 70 ms in one of
// 100,000.
class ShellFolderItems {
public:
    explicit ShellFolderItems(const CString& folder) : m_folder(folder) {}

    // The item's small icon in the system image list.
    bool IconOf(const CString& name, int* icon)
    {
        if (!Bind()) return false;
        std::wstring wide = Utf8ToWide(name.str());
        ShellPidl child;
        if (FAILED(m_shellFolder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, child.Receive(),
                                                   nullptr)))
            return false;
        const int index = SHMapPIDLToSystemImageListIndex(m_shellFolder.Get(), child.Get(), nullptr);
        if (index < 0) return false;
        *icon = index;
        return true;
    }

private:
    bool Bind()
    {
        if (m_bTried) return m_shellFolder.Get() != nullptr;
        m_bTried = true;
        // "C:" alone would name the current folder of the drive.
        CString folder = m_folder;
        if (folder.GetLength() == 2 && folder[1] == ':') folder += "\\";
        ShellPidl pidl;
        if (FAILED(SHParseDisplayName(Utf8ToWide(folder.str()).c_str(), nullptr, pidl.Receive(), 0, nullptr)))
            return false;
        ComPtr<IShellFolder> desktop;
        if (FAILED(SHGetDesktopFolder(desktop.Receive()))) return false;
        if (FAILED(desktop->BindToObject(pidl.Get(), nullptr, IID_IShellFolder,
                                         reinterpret_cast<void**>(m_shellFolder.Receive()))))
            return false;
        return m_shellFolder.Get() != nullptr;
    }

    CString m_folder;
    bool m_bTried = false;
    ComPtr<IShellFolder> m_shellFolder;
};

// The shell's answers for the files of one folder. Files of one extension
// share their type name, and ordinary ones their icon too: the first file of
// each extension is asked about by its path, and the answer stands for the
// others. The extension is kept as written, because the type name the shell
// makes up for an unregistered extension repeats its letter case. A file
// whose icon is its own still gets its own icon from the shell, through the
// folder.
class ShellAnswers {
public:
    explicit ShellAnswers(const CString& folder) : m_folder(folder), m_items(folder) {}

    ShellAnswer ForFile(const CString& name)
    {
        const std::string extension = ExtensionOf(name);
        auto known = m_byExtension.find(extension);
        if (known == m_byExtension.end()) {
            ShellAnswer answer;
            if (!AskShellAboutPath(m_folder + "\\" + name, &answer)) return AskShellAboutKind(name, false);
            m_byExtension.emplace(extension, Kind{answer, IconIsPerFile(extension)});
            return answer;
        }
        const Kind& kind = known->second;
        if (!kind.bOwnIcon) return kind.answer;
        ShellAnswer answer{0, kind.answer.type};
        if (m_items.IconOf(name, &answer.icon)) return answer;
        if (AskShellAboutPath(m_folder + "\\" + name, &answer)) return answer;
        return AskShellAboutKind(name, false);
    }

private:
    struct Kind {
        ShellAnswer answer;
        bool bOwnIcon;
    };
    CString m_folder;
    ShellFolderItems m_items;
    std::unordered_map<std::string, Kind> m_byExtension;
};

// Turns drawing off while a list changes row by row: a shown list repaints on
// every insertion otherwise.
class RedrawOff {
public:
    explicit RedrawOff(CWnd& wnd) : m_wnd(wnd) { m_wnd.SetRedraw(FALSE); }
    ~RedrawOff()
    {
        m_wnd.SetRedraw(TRUE);
        m_wnd.Invalidate(TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    CWnd& m_wnd;
};

// The path of a folder of the tree: the drive text, then the names on the
// way down from the root. The root's own text (the drive's display name) is
// never part of a path, so the root's path is the drive text alone ("C:").
CString FolderPath(const CString& drive, const CTreeCtrl& tree, HTREEITEM hItem)
{
    std::vector<CString> names;
    for (HTREEITEM item = hItem; item;) {
        HTREEITEM parent = tree.GetParentItem(item);
        if (!parent) break;
        names.push_back(tree.GetItemText(item));
        item = parent;
    }
    CString path = drive;
    for (auto name = names.rbegin(); name != names.rend(); ++name) path += "\\" + *name;
    return path;
}

} // namespace

void CHeftDoc::FillList()
{
    CWaitCursor wait;
    m_bTopTen = FALSE;
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (!view || !view->m_hWnd || view->IsClosing()) return;
    m_pListCtrl = &view->GetListCtrl();
    if (!m_pTreeCtrl) return;
    CTreeCtrl& tree = *m_pTreeCtrl;

    HTREEITEM selected = tree.GetSelectedItem();
    const auto* folder = selected ? reinterpret_cast<const CDirEntry*>(tree.GetItemData(selected)) : nullptr;
    m_nFolderTotal = folder ? folder->GetSize() : 0;

    RedrawOff quiet(*view);
    view->ReleaseRowRecords();
    if (!selected) return;

    const CString path = FolderPath(m_strDrive, tree, selected);
    // Subfolders come from the model: their totals are the scan's, and a
    // folder made on the disk since then is not listed.
    for (HTREEITEM child = tree.GetChildItem(selected); child; child = tree.GetNextSiblingItem(child)) {
        auto* record = new CDirEntry;
        const CString name = tree.GetItemText(child);
        record->SetName(name);
        const ShellAnswer answer = AskShell(path + "\\" + name, name, true);
        if (const auto* folderRecord = reinterpret_cast<const CDirEntry*>(tree.GetItemData(child))) {
            record->SetSize(folderRecord->GetSize());
            record->SetDate(folderRecord->GetDate());
        }
        record->SetType(answer.type);
        record->SetFolder();
        record->SetTreeItem(child);
        view->AddRow(record, answer.icon);
    }
    AddFolderFiles(path);
}

void CHeftDoc::AddFolderFiles(const CString& path)
{
    CWaitCursor wait;
    m_bTopTen = FALSE;
    m_strListFolder = path;
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (!m_pListCtrl || !view || view->m_hWnd != m_pListCtrl->m_hWnd) return;

    ShellAnswers shell(path);
    CFileFind find;
    if (find.FindFile(path + "\\*.*")) {
        do {
            // Folders are listed from the model; hidden and system files are
            // listed like any other.
            if (find.IsDirectory() || find.IsDots()) continue;
            auto* record = new CDirEntry;
            const CString name = find.GetFileName();
            record->SetName(name);
            record->SetSize(find.GetLength());
            record->SetDate(FormatDateText(find.GetLastWriteTime()));
            const ShellAnswer answer = shell.ForFile(name);
            record->SetType(answer.type);
            view->AddRow(record, answer.icon);
        } while (find.FindNextFile());
        find.Close();
    }

    // Largest first; the header-click sort keeps its own memory.
    view->SortRows(CHeftList::SortParam{&CHeftList::CompareSizes, FALSE});
    // The largest row is selected; the focus stays where the user puts it.
    if (view->SendToControl(LVM_GETITEMCOUNT) > 0) {
        LVITEMA selected{};
        selected.stateMask = LVIS_SELECTED;
        selected.state = LVIS_SELECTED;
        view->SendToControl(LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&selected));
    }
}
