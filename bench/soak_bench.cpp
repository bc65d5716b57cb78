// Repeated use in one process: a drive of about 2,000 folders refreshed and
// closed and opened again, cycle after cycle. What the first cycles allocate
// once (caches, the shell's answers, Wine's own tables) is the baseline; from
// the 20th cycle to the last nothing more may stay behind, and the frame's
// layout must be what it was at the start.
//
// Usage: HEFT_BENCH_DRIVE=B: soak_bench.exe
// (not on the command line: the application would open that drive at start-up)
// One cycle is two Refreshes and one close and reopen. Prints, after a line
// with the figures at the start:
//   soak refreshes=N reopen=M heap_growth_kb=H handles_growth=G statusbar_px=S
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "bench/HeapMeasure.h"
#include "document/CHeftDoc.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kCycles = 100;
constexpr int kBaselineCycle = 20;

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int StatusBarHeight(const CMainFrame& main)
{
    RECT rc{};
    main.m_wndStatusBar.GetWindowRect(&rc);
    return static_cast<int>(rc.bottom - rc.top);
}

} // namespace

int main()
{
    const char* driveVar = std::getenv("HEFT_BENCH_DRIVE");
    if (!driveVar) {
        std::fprintf(stderr, "usage: HEFT_BENCH_DRIVE=B: soak_bench.exe\n");
        return 2;
    }
    const std::string drive = driveVar;

    CProcessServices services;
    CHeftApp app;
    if (!app.InitInstance()) return 1;
    auto* main = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    if (!main) return 1;
    const int statusBefore = StatusBarHeight(*main);

    CHeftDoc* doc = app.OpenDrive(drive.c_str());
    if (!doc) {
        std::fprintf(stderr, "the drive could not be opened\n");
        return 1;
    }
    int refreshes = 0, reopens = 0;
    long long heapAtBaseline = 0;
    long handlesAtBaseline = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        for (int i = 0; i < 2; ++i) {
            main->SendMessage(WM_COMMAND, ID_REFRESH);
            Pump();
            ++refreshes;
        }
        app.CloseAllDocuments();
        Pump();
        doc = app.OpenDrive(drive.c_str());
        Pump();
        if (!doc) {
            std::fprintf(stderr, "the drive could not be opened again in cycle %d\n", cycle);
            return 1;
        }
        ++reopens;
        if (cycle == kBaselineCycle) {
            heapAtBaseline = HeapBytesInUse();
            handlesAtBaseline = SystemHandleCount();
        }
    }
    const long long heapGrowth = HeapBytesInUse() - heapAtBaseline;
    const long handles = SystemHandleCount();
    const long handlesGrowth = handles < 0 || handlesAtBaseline < 0 ? -1 : handles - handlesAtBaseline;
    std::printf("soak start: statusbar_px=%d folders_total_bytes=%lld handles_at_cycle_%d=%ld\n", statusBefore,
                static_cast<long long>(doc->m_nDriveTotal), kBaselineCycle, handlesAtBaseline);
    std::printf("soak refreshes=%d reopen=%d heap_growth_kb=%lld handles_growth=%ld statusbar_px=%d\n", refreshes,
                reopens, heapGrowth / 1024, handlesGrowth, StatusBarHeight(*main));
    app.CloseAllDocuments();
    Pump();
    main->DestroyWindow();
    Pump();
    return 0;
}
