// The progress meter: what a line says, when it is redrawn and that it is gone at the end.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/TerminalProgress.h"

namespace orva::cli {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(TerminalProgress, LineSaysCountPercentRateAndTimeLeft) {
    struct Row {
        ProgressUnit unit;
        int64_t done, total;
        std::chrono::duration<double> elapsed;
        std::string expected;
    } rows[] = {
        {ProgressUnit::Entries, 12000, 40000, 3s,
         "deploying: 12000 of 40000 entries, 30%, 4000 entries/s, 0:07 left"},
        {ProgressUnit::Entries, 40000, 40000, 8s, "deploying: 40000 of 40000 entries, 100%, 5000 entries/s"},
        {ProgressUnit::Entries, 1, 100000, 40s,
         "deploying: 1 of 100000 entries, 0%, 0 entries/s, 1111:06:00 left"},
        {ProgressUnit::Entries, 0, 50, 1s,
         "deploying: 0 of 50 entries, 0%"},                         // no rate before the first entry
        {ProgressUnit::Entries, 7, 0, 1s, "deploying: 7 entries"},  // total unknown
        {ProgressUnit::Entries, 3, 1000, 400ms, "deploying: 3 of 1000 entries, 0%"},  // too early for a rate
        {ProgressUnit::Nodes, 500, 2000, 2s, "deploying: 500 of 2000 nodes, 25%, 250 nodes/s, 0:06 left"},
        {ProgressUnit::SubFunctions, 3, 0, 1s, "deploying: 3 sub-functions"},
        {ProgressUnit::Bytes, 10'500'000, 31'000'000, 3s,
         "deploying: 10.5 of 31.0 MB, 33%, 3.5 MB/s, 0:06 left"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TerminalProgress::Line("deploying", row.unit, row.done, row.total, row.elapsed),
                  row.expected);
    }
}

TEST(TerminalProgress, RedrawsAtMostTenTimesASecondAndErasesAtTheEnd) {
    Clock::time_point now{};
    std::ostringstream err;
    {
        TerminalProgress meter(err, true, "x", ProgressUnit::Entries, [&] { return now; });
        // (ms since the start, done): drawn at 0, 100 and 250 only; the erase right after the draw
        // at 100 does not let the one at 150 through early, and restoring draws the old line again.
        for (auto [ms, done] : {std::pair{0, 1}, {50, 2}, {99, 3}, {100, 4}, {150, 5}, {199, 6}, {250, 7}}) {
            now = Clock::time_point{} + std::chrono::milliseconds(ms);
            meter.Update(done, 10);
            if (done == 4) meter.Erase();
            if (done == 5) meter.Restore();  // the line of 100 ms again, at 150 ms
            if (done == 6) meter.Restore();  // shown already: nothing
        }
    }
    const std::string kErase = "\r\033[K";
    EXPECT_EQ(err.str(), kErase + "x: 1 of 10 entries, 10%" + kErase + "x: 4 of 10 entries, 40%" + kErase +
                             kErase + "x: 4 of 10 entries, 40%" + kErase + "x: 7 of 10 entries, 70%" +
                             kErase);
}

TEST(TerminalProgress, ADisabledMeterWritesNothingAndGivesNoCallback) {
    std::ostringstream err;
    {
        TerminalProgress meter(err, false, "deploying");
        EXPECT_FALSE(meter.AsCallback<std::function<void(int32_t, int32_t)>>());
        meter.Update(1, 2);
        meter.Erase();
    }
    EXPECT_EQ(err.str(), "");

    // An exception ending the work still leaves the terminal clean.
    try {
        TerminalProgress meter(err, true, "deploying");
        meter.AsCallback<std::function<void(int32_t, int32_t)>>()(1, 2);
        throw std::runtime_error("stop");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(err.str().ends_with("\r\033[K"));
    EXPECT_NE(err.str().find("deploying: 1 of 2 entries"), std::string::npos);
}

}  // namespace
}  // namespace orva::cli
