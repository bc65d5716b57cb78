#pragma once
#include "framework/afxwin_base.h"

#include <shlobj.h>

#include <vector>

// The shell's display name and small icon of each present drive, by the
// drive's position in letter order (the position of its root in the main
// frame's m_arrRootPaths and of its drive button).
extern std::vector<CString> g_arrShellDriveNames;
extern int g_nShellDriveIcon[256];
