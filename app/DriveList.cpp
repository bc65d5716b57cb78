#include "app/DriveList.h"

#include "framework/CFileFind.h"
#include "framework/ComRef.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

std::vector<CString> g_arrShellDriveNames;
int g_nShellDriveIcon[kShellDriveIconSlots] = {};

namespace {

// The upper-case letter of a drive root ("C:", "c:\"), or 0 for anything else.
char DriveLetterOf(const char* path)
{
    size_t length = std::strlen(path);
    if (length < 2 || length > 3 || path[1] != ':' || (length == 3 && path[2] != '\\')) return 0;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

int SmallIconOfPath(const char* path)
{
    const std::wstring widePath = Utf8ToWide(path);
    SHFILEINFOW sfi{};
    if (SHGetFileInfoW(widePath.c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
        return sfi.iIcon;
    // A drive that does not answer still gets the shell's picture of a drive.
    sfi = SHFILEINFOW{};
    SHGetFileInfoW(widePath.c_str(), FILE_ATTRIBUTE_DIRECTORY, &sfi, sizeof(sfi),
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    return sfi.iIcon;
}

} // namespace

BOOL GetShellDisplayName(IShellFolder* pFolder, LPCITEMIDLIST pidlItem, DWORD dwFlags, CString& name)
{
    STRRET str{};
    if (FAILED(pFolder->GetDisplayNameOf(pidlItem, dwFlags, &str))) return FALSE;
    // The shell's own conversion reads every form of answer (a narrow one in
    // the code page it was written in) and frees what the answer held.
    LPWSTR wide = nullptr;
    if (FAILED(StrRetToStrW(&str, pidlItem, &wide)) || !wide) return FALSE;
    name = WideToUtf8(wide);
    CoTaskMemFree(wide);
    return TRUE;
}

void EnumShellDriveItems(IShellFolder* pFolder, LPCITEMIDLIST pidlFolder, std::vector<ShellDriveItem>& items)
{
    ComRef<IEnumIDList> enumerator;
    // S_FALSE means there is nothing to enumerate, and no enumerator.
    if (pFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, enumerator.Receive()) != S_OK ||
        !enumerator.Get())
        return;
    for (;;) {
        LPITEMIDLIST raw = nullptr;
        if (enumerator->Next(1, &raw, nullptr) != S_OK) break;
        IdList item(raw);
        // Only the parsing name tells a drive ("C:\") from the other items.
        CString parsing;
        if (!GetShellDisplayName(pFolder, item.get(), SHGDN_FORPARSING, parsing)) continue;
        char letter = DriveLetterOf(parsing);
        if (!letter) continue;

        ShellDriveItem drive;
        drive.chLetter = letter;
        if (!GetShellDisplayName(pFolder, item.get(), SHGDN_NORMAL, drive.strDisplayName))
            drive.strDisplayName.Empty();
        IdList absolute(ILCombine(pidlFolder, item.get()));
        SHFILEINFOW sfi{};
        if (absolute &&
            SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &sfi, sizeof(sfi),
                           SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
            drive.nIcon = sfi.iIcon;
        else
            drive.nIcon = SmallIconOfPath(parsing);
        items.push_back(std::move(drive));
    }
}

void CollectShellDriveNames(const std::vector<CString>& rootPaths)
{
    std::vector<ShellDriveItem> shellItems;
    LPITEMIDLIST rawComputer = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &rawComputer)) && rawComputer) {
        IdList computer(rawComputer);
        ComRef<IShellFolder> desktop;
        ComRef<IShellFolder> folder;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.Receive())) && desktop.Get() &&
            SUCCEEDED(desktop->BindToObject(computer.get(), nullptr, IID_IShellFolder, folder.ReceiveVoid())) &&
            folder.Get())
            EnumShellDriveItems(folder.Get(), computer.get(), shellItems);
    }

    // Every root gets an entry, so that a position always means the same drive
    // here, in the root list and on the drive toolbar.
    g_arrShellDriveNames.clear();
    std::fill(std::begin(g_nShellDriveIcon), std::end(g_nShellDriveIcon), 0);
    for (const CString& root : rootPaths) {
        CString bare = root;
        if (bare.GetLength() == 3 && bare[2] == '\\') bare = bare.Left(2);
        char letter = DriveLetterOf(root);
        auto found = std::find_if(shellItems.begin(), shellItems.end(),
                                  [letter](const ShellDriveItem& item) { return letter && item.chLetter == letter; });
        CString name;
        int icon = 0;
        if (found != shellItems.end()) {
            name = found->strDisplayName;
            icon = found->nIcon;
        } else {
            icon = SmallIconOfPath(root);
        }
        if (name.IsEmpty()) name = bare;
        size_t position = g_arrShellDriveNames.size();
        if (position < std::size(g_nShellDriveIcon)) g_nShellDriveIcon[position] = icon;
        g_arrShellDriveNames.push_back(name);
    }
}
