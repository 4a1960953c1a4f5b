// The trigger, row by row: each row feeds readings one second apart from the
// cycle's start and lists every event they give.
//
// Three targets at 0, 1000 and 2000 counts from the first, a window of
// ±100, a band of 3 and a start 500 below the first target. Before the zero
// the device counts from 6500 at the start (7000 at the first target).

#include "capture_trigger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pitchwise {

namespace {

constexpr Direction UP = Direction::UP;
constexpr Direction DOWN = Direction::DOWN;
constexpr double ALLOWED = 6;
constexpr long long GAP = -999999;  // a reading that could not be taken

std::vector<TriggerStop> OneRun() {
    return {{0, UP, ALLOWED},      {1000, UP, ALLOWED},   {2000, UP, ALLOWED},
            {2000, DOWN, ALLOWED}, {1000, DOWN, ALLOWED}, {0, DOWN, ALLOWED}};
}

const TriggerSettings kSettings{100, 3, 500};

std::string Describe(const TriggerResult& r) {
    switch (r.event) {
        case TriggerEvent::NONE:
            return "";
        case TriggerEvent::ZERO:
            return "zero";
        case TriggerEvent::CAPTURE:
            return "capture " + std::to_string(r.stop) + " at " + std::to_string(r.counts);
        case TriggerEvent::FINISHED:
            return "finished";
        case TriggerEvent::MISSED:
            break;
    }
    std::string text = "missed " + std::to_string(r.stop);
    if (r.missed == MissedReason::WRONG_SIDE) return text + " wrong side";
    if (r.missed == MissedReason::TIMED_OUT) return text + " timed out";
    return text + " stood at " + std::to_string(r.counts);
}

std::string EventsOf(const std::vector<long long>& readings) {
    CCaptureTrigger trigger(OneRun(), kSettings);
    std::string events;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (readings[i] == GAP) {
            trigger.Gap();
            continue;
        }
        std::string e = Describe(trigger.Feed(static_cast<double>(i), readings[i]));
        if (!e.empty()) events += (events.empty() ? "" : ", ") + e;
    }
    return events;
}

// Concatenates reading lists.
std::vector<long long> operator+(std::vector<long long> a, const std::vector<long long>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Standing at the start, moving up, standing at the first target.
const std::vector<long long> kStart = {6500, 6500, 6800, 7000, 7000};
// The first target taken right after the zero.
const std::vector<long long> kFirst = kStart + std::vector<long long>{0, 2};
const char* const kFirstEvents = "zero, capture 0 at 2";
// Up through the second and third targets.
const std::vector<long long> kUp =
    kFirst + std::vector<long long>{500, 1000, 1001, 1500, 2000, 2000};
const std::string kUpEvents = std::string(kFirstEvents) + ", capture 1 at 1001, capture 2 at 2000";

struct TriggerRow {
    const char* name;
    std::vector<long long> readings;
    std::string events;
};

const TriggerRow kRows[] = {
    {"ZeroAtTheFirstTargetReachedFromBelow", kStart, "zero"},
    {"NoZeroWhereTheRiseIsNotTheOverrun", {6500, 6500, 7000, 7200, 7200}, ""},
    {"NoZeroAtTheRightRiseReachedFromAbove", {6500, 6500, 7300, 7000, 7000}, ""},
    {"NoZeroWhileStillMoving", {6500, 6500, 6800, 7000, 7010}, ""},
    {"FirstTargetTakenAfterTheZero", kFirst, kFirstEvents},
    {"PassingThroughATargetAtFeed", kFirst + std::vector<long long>{400, 990, 1010, 1400},
     kFirstEvents},
    {"StopOutsideEveryWindow", kFirst + std::vector<long long>{500, 500, 500}, kFirstEvents},
    {"JitterWithinTheBand", kFirst + std::vector<long long>{500, 998, 1001},
     std::string(kFirstEvents) + ", capture 1 at 1001"},
    {"JitterBeyondTheBand", kFirst + std::vector<long long>{500, 998, 1002}, kFirstEvents},
    {"JitterBeyondThenSettled", kFirst + std::vector<long long>{500, 998, 1002, 1003},
     std::string(kFirstEvents) + ", capture 1 at 1003"},
    {"BothReadingsInsideTheWindow", kFirst + std::vector<long long>{500, 899, 901, 902},
     std::string(kFirstEvents) + ", capture 1 at 902"},
    {"AllUp", kUp, kUpEvents},
    {"OverrunStopThenTheTurn", kUp + std::vector<long long>{2500, 2500, 2000, 2001},
     kUpEvents + ", capture 3 at 2001"},
    {"TurnNotTakenWhileStillAtTheTop", kUp + std::vector<long long>{2000, 2001, 2000}, kUpEvents},
    {"TurnWithTheOverrunUnseen", kUp + std::vector<long long>{2000, 2000, 1500, 1000, 1000},
     kUpEvents + ", missed 3 stood at 1000"},
    {"OvershotAndCameBack", kFirst + std::vector<long long>{1300, 1000, 1000},
     std::string(kFirstEvents) + ", missed 1 wrong side"},
    // Left the top at once for the next target, no reading in between.
    {"NextTargetRightAfterTheLast", kUp + std::vector<long long>{2500, 2000, 2000, 1000, 1000},
     kUpEvents + ", capture 3 at 2000, capture 4 at 1000"},
    // A reading lost while the axis stands: the next two still count, and
    // they came from below, where the axis was before it stopped.
    {"GapWhileStanding", kFirst + std::vector<long long>{500, 1000, GAP, 1000, 1000},
     std::string(kFirstEvents) + ", capture 1 at 1000"},
    {"GapBetweenTheTwo", kFirst + std::vector<long long>{500, 1000, GAP, 1000}, kFirstEvents},
    {"StopAtTheWrongTarget", kFirst + std::vector<long long>{1000, 2000, 2000},
     std::string(kFirstEvents) + ", missed 1 stood at 2000"},
    {"StillAtTheTargetJustTaken", kFirst + std::vector<long long>{500, 1000, 1000, 1000, 1000},
     std::string(kFirstEvents) + ", capture 1 at 1000"},
    {"BackAtTheTargetJustTaken", kFirst + std::vector<long long>{500, 1000, 1000, 1500, 1000, 1000},
     std::string(kFirstEvents) + ", capture 1 at 1000, missed 2 stood at 1000"},
    // The first target was taken at 6 s; more than six seconds later the
    // second is late.
    {"MissedTargetTimesOut", kFirst + std::vector<long long>{500, 500, 500, 500, 500, 500, 500},
     std::string(kFirstEvents) + ", missed 1 timed out"},
    {"WholeRun", kUp + std::vector<long long>{2500, 2000, 2000, 1000, 1000, 500, 0, 0, -500},
     kUpEvents + ", capture 3 at 2000, capture 4 at 1000, capture 5 at 0, finished"},
};

void PrintTo(const TriggerRow& row, std::ostream* out) {
    *out << row.name;
}

class TriggerTable : public ::testing::TestWithParam<TriggerRow> {};

TEST_P(TriggerTable, Events) {
    EXPECT_EQ(EventsOf(GetParam().readings), GetParam().events);
}

INSTANTIATE_TEST_SUITE_P(Rows, TriggerTable, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Trigger, AGapBreaksAPairButKeepsTheSide) {
    CCaptureTrigger trigger(OneRun(), kSettings);
    for (long long counts : kFirst) trigger.Feed(0, counts);
    trigger.Feed(1, 500);
    trigger.Feed(2, 999);
    trigger.Gap();
    EXPECT_EQ(trigger.Feed(3, 1000).event, TriggerEvent::NONE);
    TriggerResult taken = trigger.Feed(4, 1000);
    EXPECT_EQ(taken.event, TriggerEvent::CAPTURE);
    EXPECT_EQ(taken.stop, 1u);
}

}  // namespace

}  // namespace pitchwise
