#include "framework/Utf16.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cwchar>

std::wstring Utf8ToWide(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > static_cast<size_t>(INT_MAX)) return std::wstring();
    const int inLen = static_cast<int>(utf8.size());
    const int len = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLen, nullptr, 0);
    if (len <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(len), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLen, wide.data(), len);
    return wide;
}

CString WideToUtf8(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > static_cast<size_t>(INT_MAX)) return CString();
    const int inLen = static_cast<int>(wide.size());
    const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (len <= 0) return CString();
    std::string utf8(static_cast<size_t>(len), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), inLen, utf8.data(), len, nullptr, nullptr);
    return CString(std::move(utf8));
}

CString WideToUtf8(std::u16string_view wide)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 units");
    return WideToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(wide.data()), wide.size()));
}

CString WideToUtf8(const wchar_t* wide)
{
    return wide ? WideToUtf8(std::wstring_view(wide, std::wcslen(wide))) : CString();
}

void CopyToWideBuffer(std::string_view utf8, wchar_t* buffer, size_t size)
{
    if (!buffer || size == 0) return;
    const std::wstring wide = Utf8ToWide(utf8);
    size_t length = std::min(wide.size(), size - 1);
    if (length < wide.size() && length > 0 && IS_HIGH_SURROGATE(wide[length - 1])) --length;
    std::wmemcpy(buffer, wide.data(), length);
    buffer[length] = L'\0';
}
