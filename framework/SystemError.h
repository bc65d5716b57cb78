#pragma once
#include <windows.h>

#include "framework/CString.h"

// The system's own sentence for an error code ("Access is denied."), in the
// user's language; "Error N" when the system has none.
CString SystemErrorText(DWORD error);
