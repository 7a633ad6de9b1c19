#include "preview/time_control.h"

#include <gtest/gtest.h>

#include <ostream>

namespace
{
using namespace Preview;

struct SeekCase
{
    uint32_t time;
    int64_t delta;
    uint32_t expected;
};

void PrintTo(const SeekCase& c, std::ostream* out)
{
    *out << c.time << " by " << c.delta;
}

class PreviewSeek : public testing::TestWithParam<SeekCase>
{
};

// A script from 2 s to 62 s.
TEST_P(PreviewSeek, StaysInsideTheScript)
{
    const SeekCase& c = GetParam();
    EXPECT_EQ(SeekBy(c.time, c.delta, 2000, 62000), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PreviewSeek,
                         testing::Values(SeekCase{20000, 1000, 21000}, SeekCase{20000, -10000, 10000},
                                         SeekCase{2500, -1000, 2000}, SeekCase{2000, -10000, 2000},
                                         SeekCase{61500, 1000, 62000}, SeekCase{62000, 10000, 62000},
                                         SeekCase{0, 0, 2000}, SeekCase{4000000000u, -1000, 62000},
                                         SeekCase{1000, -5000, 2000}));

TEST(PreviewSeek, AnEndBeforeTheStartHoldsTheStart)
{
    EXPECT_EQ(Clamp(5000, 3000, 1000), 3000u);
}

struct FrameCase
{
    uint32_t time;
    uint32_t start;
    uint32_t next;
    uint32_t previous;
};

void PrintTo(const FrameCase& c, std::ostream* out)
{
    *out << c.time << " from " << c.start;
}

class PreviewFrames : public testing::TestWithParam<FrameCase>
{
};

// Frames at start + n * 1000 / 60: 0, 16, 33, 50, 66, 83, 100, ...
TEST_P(PreviewFrames, StepToTheNeighbouringFrame)
{
    const FrameCase& c = GetParam();
    EXPECT_EQ(NextFrame(c.time, c.start), c.next);
    EXPECT_EQ(PreviousFrame(c.time, c.start), c.previous);
}

INSTANTIATE_TEST_SUITE_P(Table, PreviewFrames,
                         testing::Values(FrameCase{0, 0, 16, 0}, FrameCase{16, 0, 33, 0}, FrameCase{20, 0, 33, 16},
                                         FrameCase{33, 0, 50, 16}, FrameCase{1000, 0, 1016, 983},
                                         FrameCase{20000, 0, 20016, 19983}, FrameCase{20005, 0, 20016, 20000},
                                         FrameCase{500, 1000, 1000, 1000}, FrameCase{1016, 1000, 1033, 1000},
                                         FrameCase{1000, 1000, 1016, 1000}));

TEST(PreviewFrames, SixtyStepsMakeOneSecond)
{
    uint32_t time = 5000;
    for (int i = 0; i < 60; ++i)
        time = NextFrame(time, 5000);
    EXPECT_EQ(time, 6000u);
    for (int i = 0; i < 60; ++i)
        time = PreviousFrame(time, 5000);
    EXPECT_EQ(time, 5000u);
}

struct BeatCase
{
    double bpm;
    int beatsPerBar;
    uint32_t time;
    uint32_t snapped;
    uint32_t next;
    uint32_t previous;
    int64_t bar;
    int beat;
};

void PrintTo(const BeatCase& c, std::ostream* out)
{
    *out << c.time << " at " << c.bpm << " bpm, " << c.beatsPerBar << " a bar";
}

class PreviewBeats : public testing::TestWithParam<BeatCase>
{
};

TEST_P(PreviewBeats, SnapStepAndCount)
{
    const BeatCase& c = GetParam();
    Grid grid{c.bpm, c.beatsPerBar};
    EXPECT_EQ(SnapToBeat(c.time, grid), c.snapped);
    EXPECT_EQ(NextBeat(c.time, grid), c.next);
    EXPECT_EQ(PreviousBeat(c.time, grid), c.previous);
    BarBeat position = BarAndBeat(c.time, grid);
    EXPECT_EQ(position.bar, c.bar);
    EXPECT_EQ(position.beat, c.beat);
}

// 120 bpm: a beat every 500 ms, a bar of four every 2 s. 140 bpm: 428.57 ms a beat.
INSTANTIATE_TEST_SUITE_P(
    Table, PreviewBeats,
    testing::Values(BeatCase{120, 4, 0, 0, 500, 0, 1, 1}, BeatCase{120, 4, 249, 0, 500, 0, 1, 1},
                    BeatCase{120, 4, 250, 500, 500, 0, 1, 1}, BeatCase{120, 4, 500, 500, 1000, 0, 1, 2},
                    BeatCase{120, 4, 1999, 2000, 2000, 1500, 1, 4}, BeatCase{120, 4, 2000, 2000, 2500, 1500, 2, 1},
                    BeatCase{120, 4, 21296, 21500, 21500, 21000, 11, 3}, BeatCase{120, 3, 1500, 1500, 2000, 1000, 2, 1},
                    BeatCase{140, 4, 429, 429, 857, 0, 1, 2}, BeatCase{140, 4, 428, 429, 429, 0, 1, 1},
                    BeatCase{140, 4, 1714, 1714, 2143, 1286, 2, 1}));

struct LoopCase
{
    uint32_t in;
    uint32_t out;
    bool enabled;
    uint32_t time;
    uint32_t wrapped;
};

void PrintTo(const LoopCase& c, std::ostream* out)
{
    *out << c.time << " in " << c.in << "-" << c.out << (c.enabled ? " on" : " off");
}

class PreviewLoop : public testing::TestWithParam<LoopCase>
{
};

TEST_P(PreviewLoop, WrapsBackToIn)
{
    const LoopCase& c = GetParam();
    Loop loop{c.in, c.out, c.enabled};
    EXPECT_EQ(WrapLoop(c.time, loop), c.wrapped);
    EXPECT_EQ(PastLoopEnd(c.time, loop), c.wrapped != c.time);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreviewLoop,
    testing::Values(LoopCase{20000, 22000, true, 21999, 21999}, LoopCase{20000, 22000, true, 22000, 20000},
                    LoopCase{20000, 22000, true, 22030, 20030},
                    // A frame far past the end (a slow frame) starts the loop over.
                    LoopCase{20000, 22000, true, 25000, 20000}, LoopCase{20000, 22000, false, 23000, 23000},
                    // Out before in is no loop at all.
                    LoopCase{22000, 20000, true, 23000, 23000}, LoopCase{20000, 20000, true, 20000, 20000},
                    // Before in, the loop does not pull the time forward.
                    LoopCase{20000, 22000, true, 1000, 1000}));

TEST(PreviewTime, FormatsMinutesSecondsHundredths)
{
    EXPECT_EQ(FormatTime(0), "00:00.00");
    EXPECT_EQ(FormatTime(21296), "00:21.29");
    EXPECT_EQ(FormatTime(62000), "01:02.00");
    EXPECT_EQ(FormatTime(3599999), "59:59.99");
    EXPECT_EQ(FormatTime(6000000), "100:00.00");
}
} // namespace
