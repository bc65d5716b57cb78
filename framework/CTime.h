#pragma once
#include "framework/CString.h"

#include <ctime>
#include <string>

// A moment in local time, to the second.
class CTime {
public:
    explicit CTime(std::time_t time = 0) : m_time(time) {}
    static CTime GetCurrentTime() { return CTime(std::time(nullptr)); }

    // The moment as strftime formats it ("%B %d, %Y %H:%M": December 07, 2026 21:23).
    CString Format(const char* format) const
    {
        std::tm local{};
#ifdef _WIN32
        if (localtime_s(&local, &m_time) != 0) return CString();
#else
        if (!localtime_r(&m_time, &local)) return CString();
#endif
        // strftime says 0 both for a text that does not fit and for an empty
        // one: room grows until it fits or is plainly enough.
        for (size_t room = 64; room <= 4096; room *= 2) {
            std::string text(room, '\0');
            const size_t length = std::strftime(text.data(), text.size(), format, &local);
            if (length > 0) {
                text.resize(length);
                return CString(std::move(text));
            }
        }
        return CString();
    }

private:
    std::time_t m_time;
};
