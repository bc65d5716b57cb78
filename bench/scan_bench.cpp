// Times the whole open of a drive (drive check, volume query, progress
// dialog, one record and one tree item per folder) against a bare recursive
// FindFirstFileA walk and a bare FindFirstFileW walk of the same drive in the
// same process, with the folder listings read ahead by the scan's workers and
// read by the walk alone, and measures the heap growth per folder that an
// open document holds.
//
// Usage: HEFT_BENCH_DRIVE=B: HEFT_BENCH_ROUNDS=5 scan_bench.exe
// (not on the command line: the application would open that drive at start-up)
// Prints: open_ms=... open1_ms=... walk_ms=... walkw_ms=... (medians) folders=N
// files=M bytes_per_folder=B threads=T
//
// HEFT_BENCH_ONCE=1 opens the drive once, first thing, and prints
// open_ms=... held=H peak=P: the heap the finished document holds, and how
// far the process's working set rose above its size before the open, at most.
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "bench/HeapMeasure.h"
#include "document/CFolderReader.h"
#include "document/CHeftDoc.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct WalkCount {
    long folders = 0;
    long files = 0;
};

// The plainest walk there is: one search per folder, recursion into every
// folder that is not a link.
void BareWalk(const std::string& path, WalkCount& count)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
            ++count.folders;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) BareWalk(path + "\\" + data.cFileName, count);
        } else {
            ++count.files;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

// Private bytes the process has committed.
long long PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    return static_cast<long long>(counters.PrivateUsage);
}

// The same walk with the wide functions, which the program's own file-system
// layer uses: a second baseline, since the narrow calls convert every name.
void BareWalkWide(const std::wstring& path, WalkCount& count)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
            ++count.folders;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                BareWalkWide(path + L"\\" + data.cFileName, count);
        } else {
            ++count.files;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

// The process's working set now, and the most it has been.
void WorkingSet(long long* now, long long* peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    *now = static_cast<long long>(counters.WorkingSetSize);
    *peak = static_cast<long long>(counters.PeakWorkingSetSize);
}

} // namespace

int main()
{
    const char* driveVar = std::getenv("HEFT_BENCH_DRIVE");
    const char* roundsVar = std::getenv("HEFT_BENCH_ROUNDS");
    if (!driveVar) {
        std::fprintf(stderr, "usage: HEFT_BENCH_DRIVE=B: HEFT_BENCH_ROUNDS=5 scan_bench.exe\n");
        return 2;
    }
    std::string drive = driveVar;
    int rounds = std::max(1, roundsVar ? std::atoi(roundsVar) : 5);

    CProcessServices services;
    CHeftApp app;
    if (!app.InitInstance()) return 1;
    auto* main = dynamic_cast<CMainFrame*>(app.m_pMainWnd);

    if (std::getenv("HEFT_BENCH_ONCE")) {
        // A first open of a tiny drive brings in the code and the shell's
        // data every open needs, so that the working set measured below
        // grows by what the large open itself holds.
        if (const char* warm = std::getenv("HEFT_BENCH_WARM")) {
            if (app.OpenDrive(warm)) app.CloseAllDocuments();
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        long long setBefore = 0, peakBefore = 0, setAfter = 0, peakAfter = 0;
        const long long heapBefore = HeapBytesInUse();
        WorkingSet(&setBefore, &peakBefore);
        const double start = NowMs();
        CHeftDoc* doc = app.OpenDrive(drive.c_str());
        const double openMs = NowMs() - start;
        WorkingSet(&setAfter, &peakAfter);
        if (!doc) {
            std::fprintf(stderr, "the drive could not be opened\n");
            return 1;
        }
        std::printf("open_ms=%.1f held=%lld peak=%lld threads=%d\n", openMs, HeapBytesInUse() - heapBefore,
                    peakAfter - setBefore, CFolderReader::ScanWorkers());
        return 0;
    }

    WalkCount count;
    std::vector<double> openMs, openAloneMs, walkMs, walkWideMs;
    std::wstring wideDrive(drive.begin(), drive.end());
    long long bytesPerFolder = 0;
    for (int round = 0; round < rounds; ++round) {
        WalkCount c;
        double start = NowMs();
        BareWalk(drive, c);
        walkMs.push_back(NowMs() - start);
        count = c;
        WalkCount wide;
        start = NowMs();
        BareWalkWide(wideDrive, wide);
        walkWideMs.push_back(NowMs() - start);

        long long heapBefore = HeapBytesInUse();
        long long privateBefore = PrivateBytes();
        start = NowMs();
        CHeftDoc* doc = app.OpenDrive(drive.c_str());
        openMs.push_back(NowMs() - start);
        if (!doc) {
            std::fprintf(stderr, "the drive could not be opened\n");
            return 1;
        }
        if (round == 0 && count.folders > 0) {
            long long heapGrowth = HeapBytesInUse() - heapBefore;
            long long privateGrowth = PrivateBytes() - privateBefore;
            std::fprintf(stderr, "heap growth %lld, private growth %lld\n", heapGrowth, privateGrowth);
            bytesPerFolder = heapGrowth / count.folders;
        }
        app.CloseAllDocuments();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

        // The same open with the walk reading every listing itself.
        CFolderReader::SetScanWorkers(0);
        start = NowMs();
        doc = app.OpenDrive(drive.c_str());
        openAloneMs.push_back(NowMs() - start);
        CFolderReader::SetScanWorkers(-1);
        app.CloseAllDocuments();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    std::printf("open_ms=%.1f open1_ms=%.1f walk_ms=%.1f walkw_ms=%.1f folders=%ld files=%ld bytes_per_folder=%lld "
                "threads=%d\n",
                Median(openMs), Median(openAloneMs), Median(walkMs), Median(walkWideMs), count.folders, count.files,
                bytesPerFolder, CFolderReader::ScanWorkers());
    if (main) main->DestroyWindow();
    return 0;
}
