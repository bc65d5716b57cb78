// The status bar's text after a search. No windows.h: also runs natively.
#include <gtest/gtest.h>

#include "model/ScanSummary.h"

namespace {

using Method = ScanSummary::Method;

TEST(ScanSummaryTest, NamesTheSearchAndItsTimeThenWhatTheUserShouldKnow)
{
    const struct {
        ScanSummary summary;
        const char* text;
    } cases[] = {
        {{Method::MasterFileTable, 0.84, 0, 0, false}, "Searched the master file table in 0.8 s"},
        {{Method::Walk, 12.24, 0, 0, false}, "Searched folder by folder in 12.2 s"},
        {{Method::MasterFileTable, 1.0, 3, 0, false}, "Searched the master file table in 1.0 s; 3 damaged records skipped"},
        {{Method::MasterFileTable, 1.0, 1, 0, false}, "Searched the master file table in 1.0 s; 1 damaged record skipped"},
        {{Method::MasterFileTable, 1.0, 5000000000ull, 0, false},
         "Searched the master file table in 1.0 s; 5000000000 damaged records skipped"},
        {{Method::Walk, 2.0, 0, 2, false}, "Searched folder by folder in 2.0 s; 2 folders could not be read"},
        {{Method::Walk, 2.0, 0, 1, true},
         "Searched folder by folder in 2.0 s; 1 folder could not be read; run Heftscope as administrator for the fast "
         "search"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScanSummaryText(c.summary), c.text);
}

} // namespace
