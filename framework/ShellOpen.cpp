#include "framework/ShellOpen.h"

#include "framework/CFileFind.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/SystemError.h"

#include <shellapi.h>

namespace {

// The error behind a failed shell execution: its own result code says more
// than the thread's last error (Wine reports a file without an associated
// program as "not a valid Win32 application").
DWORD ShellError(const SHELLEXECUTEINFOW& info, DWORD lastError)
{
    switch (reinterpret_cast<INT_PTR>(info.hInstApp)) {
    case SE_ERR_FNF: return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF: return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED: return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM: return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    default: return lastError != 0 ? lastError : ERROR_NO_ASSOCIATION;
    }
}

void ReportCannotOpen(HWND hOwner, const CString& path, DWORD error)
{
    CString caption;
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) caption = frame->GetTitle();
    if (caption.IsEmpty() && AfxGetApp()) caption = AfxGetApp()->m_strAppName;
    const CString text = "Cannot open \"" + path + "\".\n\n" + SystemErrorText(error);
    MessageBoxUtf8(CWnd::GetSafeOwner(hOwner), text, caption, MB_OK | MB_ICONEXCLAMATION);
}

} // namespace

BOOL ShellOpen(HWND hOwner, const CString& path, const CString& fragment)
{
    if (GetFileAttributesW(ToWidePath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        ReportCannotOpen(hOwner, path, GetLastError());
        return FALSE;
    }
    // The shell takes a place inside a file only as part of a URL.
    CString target = path;
    if (!fragment.IsEmpty()) {
        target = "file:///" + path + fragment;
        target.Replace("\\", "/");
    }
    const std::wstring wide = Utf8ToWide(target.str());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No dialog of the shell's own: the failure is reported here.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = hOwner;
    info.lpVerb = L"open";
    info.lpFile = wide.c_str();
    info.nShow = SW_SHOWNORMAL;
    SetLastError(ERROR_SUCCESS);
    if (ShellExecuteExW(&info)) return TRUE;
    ReportCannotOpen(hOwner, path, ShellError(info, GetLastError()));
    return FALSE;
}
