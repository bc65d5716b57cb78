#include "app/DriveList.h"

std::vector<CString> g_arrShellDriveNames;
int g_nShellDriveIcon[256] = {};
