#include "bench_controller.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "run_log_file.h"
#include "text.h"

namespace pitchwise {

namespace {

bool AllDigits(const std::string& text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

bool IsAxis(char c) {
    return c == 'X' || c == 'Y' || c == 'Z';
}

Direction ToDirection(int sign) {
    return sign < 0 ? Direction::DOWN : Direction::UP;
}

}  // namespace

bool ParseFixed4(const std::string& text, double& value) {
    std::size_t digits = text.empty() || text[0] != '-' ? 0 : 1;
    std::size_t point = text.find('.');
    if (point == std::string::npos || text.size() != point + 5) return false;
    if (!AllDigits(text, digits, point) || !AllDigits(text, point + 1, text.size())) return false;
    value = std::strtod(text.c_str(), nullptr);  // the bench itself keeps the C locale
    return std::isfinite(value);
}

bool ParseIndex(const std::string& text, int& value) {
    if (!AllDigits(text, 0, text.size()) || text.size() > 10) return false;
    long long parsed = std::strtoll(text.c_str(), nullptr, 10);
    if (parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

CBenchController::CBenchController(CAxisModel& axis, const BenchBehaviour& behaviour)
    : m_axis(axis), m_behaviour(behaviour) {}

int CBenchController::Init() {
    m_runs.emplace_back();
    m_linesSinceInit = 0;
    if (m_behaviour.failInit) {
        m_stage = Stage::NONE;
        return 0;
    }
    m_runs.back().initialised = true;
    m_stage = Stage::OPEN;
    return 1;
}

int CBenchController::Line(const std::string& line, Clock::time_point now) {
    if (m_runs.empty() || m_stage == Stage::NONE) return 0;  // not initialised
    BenchRun& run = m_runs.back();
    ++m_linesSinceInit;
    std::string why =
        m_linesSinceInit == m_behaviour.refuseLine ? "refused on request" : Accept(line, now);
    if (why.empty()) {
        run.lines.push_back(line);
        return 1;
    }
    run.lines.push_back("!" + line);
    if (run.refusal.empty()) run.refusal = "\"" + line + "\": " + why;
    return 0;
}

int CBenchController::InMotion(Clock::time_point now) const {
    return m_axis.InMotion(now);
}

int CBenchController::Position(Clock::time_point now) const {
    return static_cast<int>(std::lround(m_axis.Commanded(now) * 10000));
}

int CBenchController::Finish() {
    if (!m_runs.empty()) m_runs.back().finished = true;
    m_stage = Stage::NONE;
    return 1;
}

std::string CBenchController::Accept(const std::string& line, Clock::time_point now) {
    BenchRun& run = m_runs.back();
    // A controller takes no new command while the axis is still moving.
    if (m_axis.InMotion(now)) return "the axis is still moving";
    if (line == "L600") {
        if (m_stage != Stage::OPEN || run.mappingDisabled) return "only first, once";
        run.mappingDisabled = true;
        return std::string();
    }
    if (StartsWith(line, "L602")) {
        if (line.size() != 6 || !IsAxis(line[4]) || line[5] != line[4])
            return "not L602 and an axis twice";
        if (m_stage != Stage::OPEN) return "a mapping table is already open";
        run.axis = line[4];
        m_stage = Stage::MAPPING;
        return std::string();
    }
    if (StartsWith(line, "G0")) return AcceptMove(line, true, now);
    if (StartsWith(line, "G1")) return AcceptMove(line, false, now);
    if (line == "G4D1") {
        if (m_stage != Stage::AT_START) return "no mapping table at a start";
        m_axis.Dwell(m_behaviour.dwell, now);
        return std::string();
    }
    if (StartsWith(line, "L606 N")) return AcceptEntry(line, now);
    if (line == "L601") {
        if (m_stage != Stage::AT_START) return "no mapping table at a start";
        // The run is kept before it is acknowledged: one answered is on disk.
        std::string why = KeepRun(run);
        if (!why.empty()) return why;
        run.closed = true;
        m_stage = Stage::CLOSED;
        return std::string();
    }
    return "not in the command language";
}

std::string CBenchController::AcceptMove(const std::string& line, bool rapid,
                                         Clock::time_point now) {
    BenchRun& run = m_runs.back();
    double value = 0;
    if (line.size() < 4 || line[2] != run.axis || !ParseFixed4(line.substr(3), value)) {
        return "not a move of the mapped axis to a number with four decimals";
    }
    if (rapid) {
        if (m_stage != Stage::MAPPING) return "the start move comes once, after L602";
        run.started = true;
        run.start = value;
        m_axis.MoveTo(value, now);
        // The error at the start is fixed once the axis has arrived there.
        run.startError = m_axis.ErrorAt(value);
        m_stage = Stage::AT_START;
        return std::string();
    }
    if (m_stage != Stage::AT_START) return "no mapping table at a start";
    // Between L602 and L601 targets are relative to the start.
    if (run.direction == 0 && value != 0) run.direction = value > 0 ? 1 : -1;
    m_axis.MoveTo(run.start + value, now);
    return std::string();
}

std::string CBenchController::AcceptEntry(const std::string& line, Clock::time_point now) {
    BenchRun& run = m_runs.back();
    if (m_stage != Stage::AT_START) return "no mapping table at a start";
    std::size_t space = line.find(" V", 6);
    int point = 0;
    if (space == std::string::npos || !ParseIndex(line.substr(6, space - 6), point)) {
        return "not L606 N<point> V<value>";
    }
    if (point != static_cast<int>(run.entries.size())) return "points must come in order from 0";
    std::string valueText = line.substr(space + 2);
    double value = 0;
    if (point == 0 ? valueText != "0" : !ParseFixed4(valueText, value)) {
        return point == 0 ? "point 0 is always V0" : "not a value with four decimals";
    }
    BenchEntry entry;
    entry.point = point;
    entry.received = value;
    entry.commandedTravel = m_axis.Commanded(now) - run.start;
    entry.axisError = m_axis.Error(now) - run.startError;
    entry.expected = entry.axisError == 0 ? 0.0 : -entry.axisError;  // no "-0.0000"
    entry.target = m_axis.Commanded(now);
    entry.approach = m_axis.LastDirection();
    entry.time = RunLogTimeNow();
    run.entries.push_back(entry);
    return std::string();
}

std::string CBenchController::KeepRun(const BenchRun& run) {
    if (m_behaviour.runLog.empty()) return std::string();
    LoggedRun logged;
    logged.axis = run.axis;
    logged.unit = LengthUnit::MM;  // the bench's axis counts in mm
    logged.direction = ToDirection(run.direction != 0 ? run.direction : m_axis.LastDirection());
    for (const BenchEntry& e : run.entries) {
        logged.points.push_back(
            LoggedPoint{e.point, e.time, e.target, e.received, ToDirection(e.approach), 0.0});
    }
    // A new bench is a new machine: its first run is a reference of its own.
    std::string error;
    if (!AppendRunToLog(m_behaviour.runLog, logged, m_logged.empty(), error)) {
        return "the run could not be kept: " + error;
    }
    m_logged.push_back(logged);
    return std::string();
}

}  // namespace pitchwise
