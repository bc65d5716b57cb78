#pragma once
#include "framework/afxwin_base.h"

#include <shlobj.h>

#include <vector>

// The shell's display name and small icon of each present drive, by the
// drive's position in letter order (the position of its root in the main
// frame's m_arrRootPaths and of its drive button).
extern std::vector<CString> g_arrShellDriveNames;
// Room for the icons of this many shell items; later ones are not kept.
constexpr size_t kShellDriveIconSlots = 256;
extern int g_nShellDriveIcon[kShellDriveIconSlots];

// One drive as the shell's My Computer folder shows it.
struct ShellDriveItem {
    char chLetter = 0;      // upper-case drive letter
    CString strDisplayName; // empty when the shell gave no name
    int nIcon = 0;          // index in the shell's small system image list
};

// Refills g_arrShellDriveNames and g_nShellDriveIcon with one entry per root
// ("C:\") in the order given. My Computer also lists folders such as the
// desktop and the documents, so its items are matched to the roots by the
// drive they parse to, never by their position.
void CollectShellDriveNames(const std::vector<CString>& rootPaths);

// Appends one entry per item of a folder (My Computer, given with its
// absolute id list) that parses as a drive root.
void EnumShellDriveItems(IShellFolder* pFolder, LPCITEMIDLIST pidlFolder, std::vector<ShellDriveItem>& items);

// The name of an item of a folder, asked for with the SHGDN_ flags, as UTF-8;
// FALSE when the shell gives none.
BOOL GetShellDisplayName(IShellFolder* pFolder, LPCITEMIDLIST pidlItem, DWORD dwFlags, CString& name);
