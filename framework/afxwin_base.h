#pragma once
// The Windows headers every framework class needs, in the order they need them.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "framework/afxres.h"
#include "framework/CObject.h"
#include "framework/CString.h"
