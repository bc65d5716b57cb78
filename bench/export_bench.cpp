// Times the command-line report of a drive (CHeftApp::RunCommandLineReport,
// what heftscope.exe /export runs before it ends: hidden main frame,
// unattended search, the folders report written) or the window's open of the same drive (what
// scan_bench times), and how far the process's working set rose above its
// size before the first of them. Either starts with the same warm-up: the
// same work once on a tiny drive, which brings in the code and the shell's
// data.
//
// Usage: HEFT_BENCH_MODE=export|window HEFT_BENCH_DRIVE=B: HEFT_BENCH_WARM=W:
//        HEFT_BENCH_REPORT=Z:\...\report.csv HEFT_BENCH_ROUNDS=5 export_bench.exe
// Prints: ms=... (median) peak=P folders=N, P the working set's largest rise
// during the first round.
#include "app/CHeftApp.h"
#include "bench/HeapMeasure.h"
#include "document/CHeftDoc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// The report's rows past its header.
long ReportRows(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    long lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines - 1;
}

} // namespace

int main()
{
    const char* mode = std::getenv("HEFT_BENCH_MODE");
    const char* drive = std::getenv("HEFT_BENCH_DRIVE");
    const char* warm = std::getenv("HEFT_BENCH_WARM");
    const char* report = std::getenv("HEFT_BENCH_REPORT");
    const char* roundsVar = std::getenv("HEFT_BENCH_ROUNDS");
    if (!mode || !drive || !warm || !report) {
        std::fprintf(stderr, "usage: HEFT_BENCH_MODE=export|window|changes HEFT_BENCH_DRIVE=B: HEFT_BENCH_WARM=W: "
                             "HEFT_BENCH_REPORT=PATH HEFT_BENCH_ROUNDS=5 export_bench.exe\n");
        return 2;
    }
    const int rounds = std::max(1, roundsVar ? std::atoi(roundsVar) : 5);
    const bool exporting = std::string(mode) == "export";
    CProcessServices services;

    std::vector<double> times;
    long long setBefore = 0, peakBefore = 0, setAfter = 0, peakAfter = 0;
    long folders = 0;
    if (exporting) {
        // As heftscope.exe runs it, which then ends: what is left (the
        // hidden window and the drive's document) goes untimed here.
        auto run = [report](const char* path, double* ms) {
            CHeftApp app;
            const double start = NowMs();
            const int code = app.RunCommandLineReport({"/export", report, path});
            if (ms) *ms = NowMs() - start;
            app.CloseAllDocuments();
            if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
            Pump();
            return code;
        };
        if (run(warm, nullptr) != 0) return 1;
        for (int round = 0; round < rounds; ++round) {
            if (round == 0) WorkingSet(&setBefore, &peakBefore);
            double ms = 0;
            const int code = run(drive, &ms);
            times.push_back(ms);
            if (round == 0) WorkingSet(&setAfter, &peakAfter);
            if (code != 0) {
                std::fprintf(stderr, "the report ended with exit code %d\n", code);
                return 1;
            }
        }
        folders = ReportRows(report) - 1;
    } else {
        CHeftApp app;
        if (!app.InitInstance()) return 1;
        if (app.OpenDrive(warm)) app.CloseAllDocuments();
        Pump();
        for (int round = 0; round < rounds; ++round) {
            if (round == 0) WorkingSet(&setBefore, &peakBefore);
            const double start = NowMs();
            CHeftDoc* doc = app.OpenDrive(drive);
            times.push_back(NowMs() - start);
            if (round == 0) WorkingSet(&setAfter, &peakAfter);
            if (!doc) {
                std::fprintf(stderr, "the drive could not be opened\n");
                return 1;
            }
            folders = static_cast<long>(doc->m_pTreeCtrl->GetCount()) - 1;
            if (std::string(mode) == "changes") {
                // The drive compared with its own report: read, checked,
                // compared and listed, as Changes Since does it.
                const double compareStart = NowMs();
                CString problem;
                if (!doc->CompareWithReport(report, &problem)) {
                    std::fprintf(stderr, "the comparison failed: %s\n", problem.GetString());
                    return 1;
                }
                std::printf("changes_ms=%.1f folders=%ld\n", NowMs() - compareStart, folders);
                return 0;
            }
            app.CloseAllDocuments();
            Pump();
        }
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        Pump();
    }
    std::printf("ms=%.1f peak=%lld folders=%ld\n", Median(times), peakAfter - setBefore, folders);
    return 0;
}
