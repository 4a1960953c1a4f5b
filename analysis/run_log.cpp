#include "run_log.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "number_text.h"

namespace pitchwise {

const char* const RUN_LOG_HEADER =
    "run,measurement,time,axis,direction,table_in_force,points,point,target,correction,approach,"
    "deviation,unit";

const char* const RUN_LOG_HEADER_WITHOUT_UNIT =
    "run,measurement,time,axis,direction,table_in_force,points,point,target,correction,approach,"
    "deviation";

namespace {

constexpr std::size_t kFields = 13;  // 12 in logs without the unit
// Far beyond any table a controller holds; a bound keeps a hostile count
// from reserving memory or making every later run look incomplete.
constexpr int kMaxPoints = 100000;
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool ReadWhole(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 10) return false;
    for (char c : text)
        if (!IsDigit(c)) return false;
    long long parsed = 0;
    std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ReadDirection(const std::string& text, Direction& direction) {
    if (text == "up")
        direction = Direction::UP;
    else if (text == "down")
        direction = Direction::DOWN;
    else
        return false;
    return true;
}

// YYYY-MM-DDTHH:MM:SSZ, by shape: the time is for people, never computed with.
bool IsTime(const std::string& text) {
    static const char shape[] = "0000-00-00T00:00:00Z";
    if (text.size() != sizeof shape - 1) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (shape[i] == '0' ? !IsDigit(text[i]) : text[i] != shape[i]) return false;
    }
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields(1);
    for (char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

struct ParsedLine {
    LoggedRun run;  // with the one point of the line
    int points = 0;
};

// OK when the line is a valid point, otherwise why not (without the line).
RunLogStatus ParseLine(const std::string& line, bool withUnit, ParsedLine& parsed) {
    std::vector<std::string> f = SplitFields(line);
    const std::size_t fields = withUnit ? kFields : kFields - 1;
    if (f.size() != fields) {
        return RunLogStatus(RunLogCode::FIELD_COUNT,
                            {static_cast<double>(fields), static_cast<double>(f.size())});
    }
    if (withUnit && !f.back().empty() && !UnitFromName(f.back(), parsed.run.unit))
        return RunLogStatus(RunLogCode::BAD_UNIT);
    LoggedRun& run = parsed.run;
    LoggedPoint point;
    if (!ReadWhole(f[0], 1, INT_MAX, run.run)) return RunLogStatus(RunLogCode::BAD_RUN);
    if (!ReadWhole(f[1], 1, INT_MAX, run.measurement))
        return RunLogStatus(RunLogCode::BAD_MEASUREMENT);
    f.erase(f.begin() + 1);
    if (!IsTime(f[1])) return RunLogStatus(RunLogCode::BAD_TIME);
    point.time = f[1];
    if (f[2] != "X" && f[2] != "Y" && f[2] != "Z") return RunLogStatus(RunLogCode::BAD_AXIS);
    run.axis = f[2][0];
    if (!ReadDirection(f[3], run.direction)) return RunLogStatus(RunLogCode::BAD_DIRECTION);
    if (f[4] != "0" && f[4] != "1") return RunLogStatus(RunLogCode::BAD_TABLE_IN_FORCE);
    run.tableInForce = f[4] == "1";
    if (!ReadWhole(f[5], 1, kMaxPoints, parsed.points))
        return RunLogStatus(RunLogCode::BAD_POINTS, {static_cast<double>(kMaxPoints)});
    if (!ReadWhole(f[6], 0, parsed.points - 1, point.point))
        return RunLogStatus(RunLogCode::BAD_POINT);
    if (!ReadDecimal(f[7], point.target)) return RunLogStatus(RunLogCode::BAD_TARGET);
    if (!ReadDecimal(f[8], point.correction)) return RunLogStatus(RunLogCode::BAD_CORRECTION);
    if (!ReadDirection(f[9], point.approach)) return RunLogStatus(RunLogCode::BAD_APPROACH);
    if (!ReadDecimal(f[10], point.deviation)) return RunLogStatus(RunLogCode::BAD_DEVIATION);
    run.points.push_back(point);
    return RunLogStatus();
}

bool SameRun(const LoggedRun& a, const LoggedRun& b) {
    return a.run == b.run && a.measurement == b.measurement && a.axis == b.axis &&
           a.direction == b.direction && a.tableInForce == b.tableInForce && a.unit == b.unit;
}

}  // namespace

std::string WithUnitColumn(const std::string& text) {
    std::string result;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(begin, end - begin);
        const bool cr = !line.empty() && line.back() == '\r';
        if (cr) line.pop_back();
        if (begin == 0)
            line = RUN_LOG_HEADER;
        else if (!line.empty() && line[0] != '#')
            line += ",";
        result += line + (cr ? "\r" : "") + (end < text.size() ? "\n" : "");
        begin = end + 1;
    }
    return result;
}

const char* DirectionName(Direction direction) {
    return direction == Direction::UP ? "up" : "down";
}

std::string FormatRun(const LoggedRun& run) {
    std::string text;
    const std::string unit = run.unit == LengthUnit::UNKNOWN ? "" : UnitName(run.unit);
    const std::string common =
        std::to_string(run.run) + "," + std::to_string(run.measurement) + ",";
    for (const LoggedPoint& p : run.points) {
        text += common + p.time + "," + run.axis + "," + DirectionName(run.direction) + "," +
                (run.tableInForce ? "1" : "0") + "," + std::to_string(run.points.size()) + "," +
                std::to_string(p.point) + "," + FixedText(p.target, 4) + "," +
                FixedText(p.correction, 4) + "," + DirectionName(p.approach) + "," +
                FixedText(p.deviation, 6) + "," + unit + "\n";
    }
    return text;
}

RunLogStatus ParseRunLog(const std::string& text, RunLogReading& reading) {
    reading = RunLogReading();
    LoggedRun current;
    int currentPoints = 0;
    bool open = false;
    int lastRun = 0;

    auto closeRun = [&] {
        if (!open) return;
        if (static_cast<int>(current.points.size()) == currentPoints) {
            reading.runs.push_back(current);
        } else {
            reading.warnings.push_back("run " + std::to_string(current.run) + " has " +
                                       std::to_string(current.points.size()) + " of its " +
                                       std::to_string(currentPoints) +
                                       " points (cut short): skipped");
        }
        open = false;
    };

    std::size_t lineNumber = 0;
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find('\n', begin);
        ++lineNumber;
        if (end == std::string::npos) {
            // What a crash in the middle of an append leaves behind.
            reading.warnings.push_back("line " + std::to_string(lineNumber) +
                                       " is cut short (no line end): skipped");
            break;
        }
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // The line's number first, then the code's own numbers.
        auto refuse = [&](RunLogStatus why) {
            std::vector<double> numbers = {static_cast<double>(lineNumber)};
            numbers.insert(numbers.end(), why.numbers().begin(), why.numbers().end());
            reading = RunLogReading();
            return RunLogStatus(why.code(), numbers);
        };
        if (lineNumber == 1) {
            if (line == RUN_LOG_HEADER_WITHOUT_UNIT) {
                reading.withoutUnit = true;
                continue;
            }
            if (line != RUN_LOG_HEADER) return refuse(RunLogStatus(RunLogCode::NOT_THE_HEADER));
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (line.find('\0') != std::string::npos) return refuse(RunLogStatus(RunLogCode::NUL_BYTE));

        ParsedLine parsed;
        const RunLogStatus why = ParseLine(line, !reading.withoutUnit, parsed);
        if (!why.ok()) return refuse(why);
        const LoggedPoint& point = parsed.run.points[0];
        if (open && parsed.run.run == current.run) {
            if (!SameRun(parsed.run, current) || parsed.points != currentPoints)
                return refuse(
                    RunLogStatus(RunLogCode::DIFFERS_FROM_RUN, {static_cast<double>(current.run)}));
            if (point.point != static_cast<int>(current.points.size()))
                return refuse(RunLogStatus(RunLogCode::POINT_OUT_OF_ORDER,
                                           {static_cast<double>(point.point)}));
            current.points.push_back(point);
            continue;
        }
        closeRun();
        if (parsed.run.run <= lastRun)
            return refuse(
                RunLogStatus(RunLogCode::RUN_OUT_OF_ORDER,
                             {static_cast<double>(parsed.run.run), static_cast<double>(lastRun)}));
        if (point.point != 0) return refuse(RunLogStatus(RunLogCode::RUN_NOT_AT_POINT_0));
        current = parsed.run;
        currentPoints = parsed.points;
        lastRun = current.run;
        open = true;
    }
    if (lineNumber == 0) return RunLogStatus();  // an empty log: created, nothing appended yet
    closeRun();
    return RunLogStatus();
}

bool ParseRunLog(const std::string& text, RunLogReading& reading, std::string& error) {
    const RunLogStatus status = ParseRunLog(text, reading);
    if (!status.ok()) error = RunLogMessage(status);
    return status.ok();
}

}  // namespace pitchwise
