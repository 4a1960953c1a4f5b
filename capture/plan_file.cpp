#include "plan_file.h"

#include <charconv>
#include <cmath>
#include <map>
#include <vector>

#include "capture_words.h"

namespace pitchwise {

namespace {

const char* const kHeader = "pitchwise-capture plan 1";
const char* const kKeys[] = {"program", "axis",       "unit",        "dialect",
                             "runs",    "directions", "feed",        "dwell",
                             "overrun", "window",     "lost_motion", "random_offsets"};

// Shortest text that reads back to the same value, whatever the locale,
// and never in exponent form (0.0004, not 4e-04), which no reader takes.
std::string Exact(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    return std::string(text, result.ptr);
}

// -?digits(.digits)?, nothing else.
bool ReadNumber(const std::string& text, double& value) {
    if (text.empty() || text.size() > 24) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i != text.size()) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && std::isfinite(value);
}

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= low &&
           value <= high;
}

}  // namespace

std::string FormatPlan(const CapturePlan& plan, const std::string& program) {
    std::string text = std::string(kHeader) + "\n";
    text += "# the stops of the program: per run up through the targets, then down\n";
    text += "program " + program + "\n";
    text += std::string("axis ") + plan.axis + "\n";
    text += std::string("unit ") + UnitName(plan.unit) + "\n";
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

bool ParsePlan(const std::string& text, CapturePlan& plan, std::string& error) {
    plan = CapturePlan();
    std::map<std::string, std::string> values;
    std::size_t lineNumber = 0;
    auto refuse = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (lineNumber == 1) {
            if (line != kHeader) return refuse("not a pitchwise-capture plan");
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) return refuse("expected a key and a value");
        const std::string key = line.substr(0, space);
        const std::string value = line.substr(space + 1);
        if (key == "target") {
            double target;
            if (!ReadNumber(value, target)) return refuse("target is not a decimal number");
            plan.targets.push_back(target);
            continue;
        }
        bool known = false;
        for (const char* k : kKeys) known = known || key == k;
        if (!known) return refuse("unknown key " + key);
        if (!values.emplace(key, value).second) return refuse(key + " given twice");
    }
    for (const char* key : kKeys) {
        if (!values.count(key)) {
            error = std::string("no ") + key + " line";
            return false;
        }
    }
    for (const auto& entry : values) {
        const std::string& key = entry.first;
        const std::string& value = entry.second;
        bool read = true;
        long long whole = 0;
        if (key == "program") {
        } else if (key == "axis") {
            read = value.size() == 1;
            plan.axis = value.empty() ? '?' : value[0];
        } else if (key == "unit") {
            read = UnitFromName(value, plan.unit);
        } else if (key == "dialect") {
            read = DialectFromName(value, plan.dialect);
        } else if (key == "runs") {
            read = ReadWhole(value, 1, 100, whole);
            plan.runs = static_cast<int>(whole);
        } else if (key == "directions") {
            read = value == "up down";
        } else if (key == "feed") {
            read = ReadNumber(value, plan.feed);
        } else if (key == "dwell") {
            read = ReadNumber(value, plan.dwell);
        } else if (key == "overrun") {
            read = ReadNumber(value, plan.overrun);
        } else if (key == "window") {
            read = ReadNumber(value, plan.window);
        } else if (key == "lost_motion") {
            read = ReadNumber(value, plan.lostMotion);
        } else if (key == "random_offsets") {
            if (value != "no") {
                read = ReadWhole(value, 0, 4294967295LL, whole);
                plan.seed = static_cast<std::uint32_t>(whole);
            }
        }
        if (!read) {
            error = key + " cannot be " + value;
            return false;
        }
    }
    const PlanStatus checked = CheckPlan(plan);
    error = PlanRefusalText(checked);
    return checked.ok();
}

}  // namespace pitchwise
