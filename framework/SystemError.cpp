#include "framework/SystemError.h"

#include "framework/CFileFind.h"

CString SystemErrorText(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    CString text;
    if (buffer) {
        text = WideToUtf8(std::wstring_view(buffer, length));
        LocalFree(buffer);
    }
    text.TrimRight();
    if (text.IsEmpty()) text.Format("Error %lu", static_cast<unsigned long>(error));
    return text;
}
