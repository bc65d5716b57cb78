#pragma once
#include "framework/CString.h"
#include "framework/afxwin_base.h"

// Asks the shell to open a file with the program the system has for it;
// `fragment` (such as "#context-1") names a place inside the file, which is
// then handed over as a file URL. When the file is missing or the shell
// cannot open it, a message box owned by hOwner names the file and gives the
// system's reason. FALSE in that case.
BOOL ShellOpen(HWND hOwner, const CString& path, const CString& fragment = CString());
