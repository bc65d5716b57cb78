// Times the whole open of a drive (drive check, volume query, progress
// dialog, one record and one tree item per folder) against a bare recursive
// FindFirstFileA walk and a bare FindFirstFileW walk of the same drive in the
// same process, with the folder listings read ahead by the scan's workers and
// read by the walk alone, and measures the heap growth per folder that an
// open document holds.
//
// Usage: HEFT_BENCH_DRIVE=B: HEFT_BENCH_ROUNDS=5 scan_bench.exe
// (not on the command line: the application would open that drive at start-up)
// Prints: open_ms=... open1_ms=... open0_ms=... walk_ms=... walkw_ms=... walkp_ms=... (medians)
// folders=N files=M bytes_per_folder=B threads=T; walkp is the bare wide walk
// on as many threads as the scan's read-ahead uses; open0 is the open
// without the file collections (file types, largest files).
//
// HEFT_BENCH_OPEN_ONLY=1 times the open alone: open_ms=... open0_ms=...
// (medians, with and without the file collections) folders=N
// bytes_per_folder=B method=mft|walk.
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
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

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

// The bare wide walk on `threads` threads, the most any walker here can get
// from the file system: each lists one folder at a time, taken from a shared
// stack, with the same search the program's file-system layer makes.
void ParallelBareWalk(const std::wstring& root, int threads, WalkCount& count)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::wstring> pending{root};
    int listing = 0;
    auto work = [&] {
        WalkCount mine;
        std::vector<std::wstring> found;
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return !pending.empty() || listing == 0; });
            if (pending.empty()) break;
            const std::wstring path = std::move(pending.back());
            pending.pop_back();
            ++listing;
            lock.unlock();
            found.clear();
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileExW((path + L"\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
            if (find != INVALID_HANDLE_VALUE) {
                do {
                    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                        if (!wcscmp(data.cFileName, L".") || !wcscmp(data.cFileName, L"..")) continue;
                        ++mine.folders;
                        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                            found.push_back(path + L"\\" + data.cFileName);
                    } else {
                        ++mine.files;
                    }
                } while (FindNextFileW(find, &data));
                FindClose(find);
            }
            lock.lock();
            pending.insert(pending.end(), found.begin(), found.end());
            --listing;
            changed.notify_all();
        }
        count.folders += mine.folders;
        count.files += mine.files;
    };
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
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

    MSG msg;
    if (std::getenv("HEFT_BENCH_OPEN_ONLY")) {
        std::vector<double> openMs, openPlainMs;
        long long bytesPerFolder = 0;
        unsigned folders = 0;
        bool mft = false;
        for (int round = 0; round < rounds; ++round) {
            // Each round opens the drive with the file collections and without them.
            for (bool collect : {true, false}) {
                CHeftDoc::SetCollectFiles(collect);
                const long long heapBefore = HeapBytesInUse();
                const double start = NowMs();
                CHeftDoc* doc = app.OpenDrive(drive.c_str());
                (collect ? openMs : openPlainMs).push_back(NowMs() - start);
                if (!doc) {
                    std::fprintf(stderr, "the drive could not be opened\n");
                    return 1;
                }
                folders = doc->m_pTreeCtrl->GetCount() - 1;
                mft = doc->m_summary.method == ScanSummary::Method::MasterFileTable;
                if (round == 0 && collect && folders > 0) bytesPerFolder = (HeapBytesInUse() - heapBefore) / folders;
                app.CloseAllDocuments();
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            }
            CHeftDoc::SetCollectFiles(true);
        }
        std::printf("open_ms=%.1f open0_ms=%.1f folders=%u bytes_per_folder=%lld method=%s\n", Median(openMs),
                    Median(openPlainMs), folders, bytesPerFolder, mft ? "mft" : "walk");
        if (main) main->DestroyWindow();
        return 0;
    }

    WalkCount count;
    std::vector<double> openMs, openAloneMs, openPlainMs, walkMs, walkWideMs, walkParallelMs;
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
        WalkCount parallel;
        start = NowMs();
        ParallelBareWalk(wideDrive, CFolderReader::ScanWorkers(), parallel);
        walkParallelMs.push_back(NowMs() - start);
        if (parallel.folders != wide.folders || parallel.files != wide.files) {
            std::fprintf(stderr, "the parallel walk found %ld folders and %ld files, the walk %ld and %ld\n",
                         parallel.folders, parallel.files, wide.folders, wide.files);
            return 1;
        }

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
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

        // The same open with the walk reading every listing itself.
        CFolderReader::SetScanWorkers(0);
        start = NowMs();
        doc = app.OpenDrive(drive.c_str());
        openAloneMs.push_back(NowMs() - start);
        CFolderReader::SetScanWorkers(-1);
        app.CloseAllDocuments();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);

        // And without the file collections (file types, largest files).
        CHeftDoc::SetCollectFiles(false);
        start = NowMs();
        doc = app.OpenDrive(drive.c_str());
        openPlainMs.push_back(NowMs() - start);
        CHeftDoc::SetCollectFiles(true);
        app.CloseAllDocuments();
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    std::printf("open_ms=%.1f open1_ms=%.1f open0_ms=%.1f walk_ms=%.1f walkw_ms=%.1f walkp_ms=%.1f folders=%ld "
                "files=%ld bytes_per_folder=%lld threads=%d\n",
                Median(openMs), Median(openAloneMs), Median(openPlainMs), Median(walkMs), Median(walkWideMs),
                Median(walkParallelMs), count.folders, count.files, bytesPerFolder, CFolderReader::ScanWorkers());
    if (main) main->DestroyWindow();
    return 0;
}
