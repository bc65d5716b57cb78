#pragma once
// The program's texts are UTF-8 (CString); Windows takes and returns UTF-16
// through its wide functions. This is the one place that converts between the
// two, so that no text depends on the user's code page.
#include <string>
#include <string_view>

#include "framework/CString.h"

// UTF-8 -> UTF-16. Invalid sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
// UTF-16 -> UTF-8. Unpaired surrogates become U+FFFD.
CString WideToUtf8(std::wstring_view wide);
// UTF-16 units as a disk stores them (a volume's own file names).
CString WideToUtf8(std::u16string_view wide);
// A wide text that ends at its first null (or is null: empty), as UTF-8.
CString WideToUtf8(const wchar_t* wide);
// Puts a text into a buffer of `size` UTF-16 units that the system supplied
// (a notification's or a control's), ended by a null; a text too long is cut,
// never between the two halves of a surrogate pair.
void CopyToWideBuffer(std::string_view utf8, wchar_t* buffer, size_t size);
