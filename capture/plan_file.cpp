#include "plan_file.h"

#include <charconv>
#include <map>
#include <utility>

#include "number_text.h"

namespace pitchwise {

namespace {

const char* const kHeader = "pitchwise-capture plan 2";
// Its targets were work coordinates and its counts took one scale for every
// unit: capturing by it again would measure elsewhere or count wrongly.
const char* const kOldHeader = "pitchwise-capture plan 1";
const char* const kKeys[] = {"program", "axis",   "unit",        "coordinates",   "counts_per_unit",
                             "dialect", "runs",   "directions",  "feed",          "dwell",
                             "overrun", "window", "lost_motion", "random_offsets"};

// Shortest text that reads back to the same value, whatever the locale,
// and never in exponent form (0.0004, not 4e-04), which no reader takes.
std::string Exact(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= low &&
           value <= high;
}

// One key's value as read, with its line for the refusal.
struct Entry {
    std::string value;
    double line = 0;
};

bool ReadValue(const std::string& key, const std::string& value, CapturePlan& plan) {
    long long whole = 0;
    if (key == "program") return true;
    if (key == "axis") {
        plan.axis = value.empty() ? '?' : value[0];
        return value.size() == 1;
    }
    if (key == "unit") return UnitFromName(value, plan.unit);
    if (key == "coordinates") return value == "machine";
    if (key == "counts_per_unit") return ReadDecimal(value, plan.countsPerUnit);
    if (key == "dialect") return DialectFromName(value, plan.dialect);
    if (key == "runs") {
        const bool read = ReadWhole(value, MIN_RUNS, MAX_RUNS, whole);
        plan.runs = static_cast<int>(whole);
        return read;
    }
    if (key == "directions") return value == "up down";
    if (key == "feed") return ReadDecimal(value, plan.feed);
    if (key == "dwell") return ReadDecimal(value, plan.dwell);
    if (key == "overrun") return ReadDecimal(value, plan.overrun);
    if (key == "window") return ReadDecimal(value, plan.window);
    if (key == "lost_motion") return ReadDecimal(value, plan.lostMotion);
    if (key == "random_offsets" && value != "no") {
        const bool read = ReadWhole(value, 0, 4294967295LL, whole);
        plan.seed = static_cast<std::uint32_t>(whole);
        return read;
    }
    return true;
}

}  // namespace

std::string FormatPlan(const CapturePlan& plan, const std::string& program) {
    std::string text = std::string(kHeader) + "\n";
    text += "# the stops of the program: per run up through the targets, then down,\n";
    text += "# in machine coordinates; the QSB's counts per unit of the plan\n";
    text += "program " + program + "\n";
    text += std::string("axis ") + plan.axis + "\n";
    text += std::string("unit ") + UnitName(plan.unit) + "\n";
    text += "coordinates machine\n";
    text += "counts_per_unit " + Exact(plan.countsPerUnit) + "\n";
    text += std::string("dialect ") + DialectName(plan.dialect) + "\n";
    text += "runs " + std::to_string(plan.runs) + "\n";
    text += "directions up down\n";
    text += "feed " + Exact(plan.feed) + "\n";
    text += "dwell " + Exact(plan.dwell) + "\n";
    text += "overrun " + Exact(plan.overrun) + "\n";
    text += "window " + Exact(plan.window) + "\n";
    text += "lost_motion " + Exact(plan.lostMotion) + "\n";
    text += "random_offsets " + (plan.seed ? std::to_string(*plan.seed) : std::string("no")) + "\n";
    for (double target : plan.targets) text += "target " + Exact(target) + "\n";
    return text;
}

CaptureStatus ParsePlan(const std::string& text, CapturePlan& plan) {
    plan = CapturePlan();
    std::map<std::string, Entry> values;
    double lineNumber = 0;
    auto refuse = [&](CaptureCode code, const std::string& subject = std::string()) {
        return CaptureStatus(code, {lineNumber}, subject);
    };
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNumber == 1) {
            if (line == kOldHeader) return refuse(CaptureCode::PLAN_OLD_FORMAT);
            if (line != kHeader) return refuse(CaptureCode::PLAN_NOT_A_PLAN);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) return refuse(CaptureCode::PLAN_NOT_KEY_VALUE);
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (key == "target") {
            double target = 0;
            if (!ReadDecimal(value, target)) return refuse(CaptureCode::PLAN_BAD_VALUE, line);
            plan.targets.push_back(target);
            continue;
        }
        bool known = false;
        for (const char* k : kKeys) known = known || key == k;
        if (!known) return refuse(CaptureCode::PLAN_UNKNOWN_KEY, key);
        if (!values.emplace(key, Entry{value, lineNumber}).second)
            return refuse(CaptureCode::PLAN_KEY_TWICE, key);
    }
    if (lineNumber == 0) return CaptureStatus(CaptureCode::PLAN_NOT_A_PLAN, {1});
    for (const char* key : kKeys)
        if (!values.count(key)) return CaptureStatus(CaptureCode::PLAN_KEY_MISSING, {}, key);
    for (const auto& entry : values) {
        if (!ReadValue(entry.first, entry.second.value, plan)) {
            return CaptureStatus(CaptureCode::PLAN_BAD_VALUE, {entry.second.line},
                                 entry.first + " " + entry.second.value);
        }
    }
    return CheckPlan(plan);
}

}  // namespace pitchwise
