#pragma once
// What the benchmarks measure of the process: time, memory and handles.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

// Milliseconds of the performance counter.
inline double NowMs()
{
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The process's working set now, and the most it has been.
inline void WorkingSet(long long* now, long long* peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    *now = static_cast<long long>(counters.WorkingSetSize);
    *peak = static_cast<long long>(counters.PeakWorkingSetSize);
}

// Bytes in use in all of the process's heaps.
inline long long HeapBytesInUse()
{
    DWORD count = GetProcessHeaps(0, nullptr);
    std::vector<HANDLE> heaps(count + 16);
    count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    long long total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        PROCESS_HEAP_ENTRY entry{};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Handles of this process in the system's handle list (under Wine, its
// server's handle table); -1 when the list cannot be read. Wine's process
// handle count and GetGuiResources answer 0, this list does not.
inline long SystemHandleCount()
{
    using QueryFn = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) { // the list is longer than the buffer
            buffer.resize(std::max<size_t>(buffer.size() * 2, static_cast<size_t>(needed) + 4096));
            continue;
        }
        if (status < 0) return -1;
        const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
        const size_t fits = (buffer.size() - offsetof(SYSTEM_HANDLE_INFORMATION, Handle)) / sizeof(SYSTEM_HANDLE_ENTRY);
        const size_t entries = std::min<size_t>(info->Count, fits);
        const ULONG self = GetCurrentProcessId();
        long count = 0;
        for (size_t i = 0; i < entries; ++i)
            if (info->Handle[i].OwnerPid == self) ++count;
        return count;
    }
    return -1;
}
