// Times the contents list's fill of a large folder against a bare
// FindFirstFileA walk of the same folder in the same process, and the fill of
// the drive's Largest Files listing (1,000 rows) against that of a folder of
// 1,000 files. Run by bench/list.sh, which makes the fixture drive Q: with
// the folders f1k, f10k (10,000 files) and f100k (100,000 files).
// HEFT_LIST_BENCH_QUICK=1 leaves the largest folder out.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "views/CHeftList.h"

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The baseline: every entry of the folder, and nothing done with it.
long BareWalk(const char* pattern)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return -1;
    long count = 0;
    do {
        ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

struct Result {
    double fill = 0;
    double bare = 0;
};

Result Measure(CHeftDoc* doc, const char* folder, int rounds)
{
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM item = nullptr;
    for (HTREEITEM child = tree.GetChildItem(doc->m_hRootItem); child; child = tree.GetNextSiblingItem(child))
        if (tree.GetItemText(child) == folder) item = child;
    if (!item) {
        fprintf(stderr, "list bench: no folder %s on the drive\n", folder);
        exit(1);
    }
    tree.SelectItem(item); // the first fill, which also warms the caches
    CHeftList* list = dynamic_cast<CHeftList*>(doc->GetView(1));
    const int rows = list->GetListCtrl().GetItemCount();
    char pattern[64];
    snprintf(pattern, sizeof(pattern), "Q:\\%s\\*.*", folder);

    std::vector<double> fills, paints, bares;
    int drawn = 0;
    long entries = 0;
    for (int r = 0; r < rounds; ++r) {
        // The fill, and the first paint of the rows it shows: icons that are
        // an entry's own are asked for only then.
        list->m_nTextWidth[0] = 0; // set again by the drawing of any row
        double start = Now();
        doc->FillList();
        const double filled = Now();
        list->UpdateWindow();
        const double painted = Now();
        if (list->m_nTextWidth[0] > 0) ++drawn;
        fills.push_back(painted - start);
        paints.push_back(painted - filled);
        start = Now();
        entries = BareWalk(pattern);
        bares.push_back(Now() - start);
    }
    Result result{Median(fills), Median(bares)};
    // For the record: a sort by name, as a click on the "Name" header does it.
    double start = Now();
    list->SortRows(CHeftList::SortParam{&CHeftList::CompareNames, TRUE});
    list->UpdateWindow();
    const double sortMs = Now() - start;
    printf("%s: %d rows, %ld entries; fill %.1f ms (of which the first paint %.1f ms, rows drawn in %d of %d "
           "rounds), bare FindFirstFileA %.1f ms (medians of %d)\n",
           folder, rows, entries, result.fill, Median(paints), drawn, rounds, result.bare, rounds);
    printf("%s: sort by name and paint %.1f ms\n", folder, sortMs);
    fflush(stdout);
    return result;
}

// The Largest Files listing, filled and painted as the command does it.
double MeasureLargestFiles(CHeftDoc* doc, int rounds)
{
    CHeftList* list = dynamic_cast<CHeftList*>(doc->GetView(1));
    doc->ToggleListing(ListState::LargestFiles);
    std::vector<double> fills;
    for (int r = 0; r < rounds; ++r) {
        const double start = Now();
        doc->FillListing(*list);
        list->UpdateWindow();
        fills.push_back(Now() - start);
    }
    printf("largest files: %d rows; fill %.1f ms (median of %d)\n", list->GetRowCount(), Median(fills), rounds);
    doc->ToggleListing(ListState::LargestFiles);
    return Median(fills);
}

} // namespace

int main()
{
    CProcessServices services;
    if (GetDriveTypeA("Q:\\") != DRIVE_FIXED) {
        fprintf(stderr, "list bench: drive Q: is missing\n");
        return 1;
    }

    CHeftApp app;
    if (!app.InitInstance()) return 1;
    auto* frame = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
    frame->RebuildDriveBar();
    double start = Now();
    CHeftDoc* doc = app.OpenDrive("Q:");
    if (!doc) {
        fprintf(stderr, "list bench: the drive did not open\n");
        return 1;
    }
    printf("scan of the drive: %.0f ms\n", Now() - start);

    const Result r1k = Measure(doc, "f1k", 9);
    const double largestMs = MeasureLargestFiles(doc, 9);
    const Result r10k = Measure(doc, "f10k", 7);
    const bool quick = GetEnvironmentVariableA("HEFT_LIST_BENCH_QUICK", nullptr, 0) != 0;
    const Result r100k = quick ? Result{} : Measure(doc, "f100k", 3);

    app.CloseAllDocuments();
    app.m_pMainWnd->DestroyWindow();
    printf("list ratio10k=%.2f ms10k=%.0f ratio100k=%.2f ms100k=%.0f largest_ratio=%.2f ms_largest=%.1f\n",
           r10k.fill / r10k.bare, r10k.fill, r100k.fill / r100k.bare, r100k.fill, largestMs / r1k.fill, largestMs);
    return 0;
}
