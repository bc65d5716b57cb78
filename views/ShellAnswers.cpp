// Asking the shell about the entries of a folder: icons and type names for the
// contents list.
#include "views/ShellAnswers.h"

#include "framework/CFileFind.h"
#include "framework/ComRef.h"
#include "framework/CRegKey.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {


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

// The extension of a file name as the shell takes it: from the last dot on
// (".txt"), or empty.
std::string ExtensionOf(const CString& name)
{
    const int dot = name.ReverseFind('.');
    if (dot < 0) return std::string();
    return name.str().substr(static_cast<size_t>(dot));
}

// Whether a key of the classes root exists.
bool ClassKeyExists(const CString& path)
{
    CRegKey key;
    return key.Open(HKEY_CLASSES_ROOT, path);
}

// The default value of a key of the classes root as text, or empty.
CString ClassKeyDefault(const CString& path)
{
    CRegKey key;
    CString value;
    if (!key.Open(HKEY_CLASSES_ROOT, path) || !key.QueryStringValue(nullptr, value, true)) return CString();
    return value;
}

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
    const CString ext(extension);
    if (ext.IsEmpty()) return false;
    if (ClassKeyExists(ext + "\\ShellEx\\IconHandler")) return true;
    if (ClassKeyExists("SystemFileAssociations\\" + ext + "\\ShellEx\\IconHandler")) return true;
    const CString progId = ClassKeyDefault(ext);
    if (progId.IsEmpty()) return false;
    if (ClassKeyExists(progId + "\\ShellEx\\IconHandler")) return true;
    return ClassKeyDefault(progId + "\\DefaultIcon").Find("%1") >= 0;
}

} // namespace

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
        IdList child;
        if (!Parse(name, &child)) return false;
        const int index = SHMapPIDLToSystemImageListIndex(m_shellFolder.Get(), child.get(), nullptr);
        if (index < 0) return false;
        *icon = index;
        return true;
    }

    // The shell's whole answer about the item: the one it gives for the
    // item's path, without reading the folder again.
    bool Ask(const CString& name, ShellAnswer* answer)
    {
        IdList child;
        if (!Parse(name, &child)) return false;
        IdList absolute(ILCombine(m_folderPidl.get(), child.get()));
        if (!absolute) return false;
        SHFILEINFOW info{};
        if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &info, sizeof(info),
                            SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME))
            return false;
        answer->icon = info.iIcon;
        answer->type = WideToUtf8(info.szTypeName);
        return true;
    }

private:
    bool Parse(const CString& name, IdList* child)
    {
        if (!Bind()) return false;
        std::wstring wide = Utf8ToWide(name.str());
        ITEMIDLIST* raw = nullptr;
        const HRESULT hr = m_shellFolder->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &raw, nullptr);
        child->reset(raw);
        return SUCCEEDED(hr) && raw;
    }

    bool Bind()
    {
        if (m_bTried) return m_shellFolder.Get() != nullptr;
        m_bTried = true;
        // "C:" alone would name the current folder of the drive.
        CString folder = m_folder;
        if (folder.GetLength() == 2 && folder[1] == ':') folder += "\\";
        ITEMIDLIST* raw = nullptr;
        const HRESULT hr = SHParseDisplayName(Utf8ToWide(folder.str()).c_str(), nullptr, &raw, 0, nullptr);
        m_folderPidl.reset(raw);
        if (FAILED(hr) || !raw) return false;
        ComRef<IShellFolder> desktop;
        if (FAILED(SHGetDesktopFolder(desktop.Receive()))) return false;
        if (FAILED(desktop->BindToObject(m_folderPidl.get(), nullptr, IID_IShellFolder, m_shellFolder.ReceiveVoid())))
            return false;
        return m_shellFolder.Get() != nullptr;
    }

    CString m_folder;
    bool m_bTried = false;
    IdList m_folderPidl;
    ComRef<IShellFolder> m_shellFolder;
};

ShellLinkMark AskShellLinkMark(const CString& sampleFolder)
{
    ShellLinkMark mark;
    const int overlay = SHGetIconOverlayIndexW(nullptr, IDO_SHGIOI_LINK);
    if (overlay > 0) {
        mark.overlay = INDEXTOOVERLAYMASK(overlay);
        return mark;
    }
    SHFILEINFOW info{};
    if (SHGetFileInfoW(Utf8ToWide(sampleFolder.str()).c_str(), 0, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_LINKOVERLAY))
        mark.arrowImage = info.iIcon;
    return mark;
}

void ShellLinkMark::DrawArrow(HIMAGELIST images, HDC hdc, int x, int y) const
{
    if (images && arrowImage >= 0) ImageList_Draw(images, arrowImage, hdc, x, y, ILD_TRANSPARENT);
}

ShellAnswer ShellKindAnswers::ForFile(const CString& name)
{
    // The extension is kept as written: the type name the shell makes up for
    // an unregistered extension repeats its letter case.
    const std::string extension = ExtensionOf(name);
    auto known = m_byExtension.find(extension);
    if (known == m_byExtension.end()) known = m_byExtension.emplace(extension, AskShellAboutKind(name, false)).first;
    return known->second;
}

ShellAnswers::ShellAnswers(const CString& folder) : m_folder(folder), m_items(std::make_unique<ShellFolderItems>(folder))
{
}

ShellAnswers::~ShellAnswers() = default;

ShellAnswer ShellAnswers::ForFile(const CString& name)
{
    const std::string extension = ExtensionOf(name);
    auto known = m_byExtension.find(extension);
    if (known == m_byExtension.end()) {
        // The extension is kept as written: the type name the shell makes up
        // for an unregistered extension repeats its letter case.
        known = m_byExtension.emplace(extension, Kind{AskAboutItem(name, false), IconIsPerFile(extension)}).first;
    }
    ShellAnswer answer = known->second.answer;
    if (known->second.bOwnIcon) answer.icon = kIconOfItem;
    return answer;
}

ShellAnswer ShellAnswers::ForFolder(const CString& name)
{
    if (!m_bFolderKnown) {
        m_folderType = AskAboutItem(name, true).type;
        m_bFolderKnown = true;
    }
    return ShellAnswer{kIconOfItem, m_folderType};
}

ShellAnswer ShellAnswers::AskAboutItem(const CString& name, bool folder)
{
    ShellAnswer answer;
    if (m_items->Ask(name, &answer)) return answer;
    if (AskShellAboutPath(m_folder + "\\" + name, &answer)) return answer;
    return AskShellAboutKind(name, folder);
}

int ShellAnswers::IconOfItem(const CString& name, bool folder)
{
    int icon = 0;
    if (m_items->IconOf(name, &icon)) return icon;
    ShellAnswer answer;
    if (AskShellAboutPath(m_folder + "\\" + name, &answer)) return answer.icon;
    return AskShellAboutKind(name, folder).icon;
}
