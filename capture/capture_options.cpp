#include "capture_options.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "number_text.h"
#include "qsb.h"

namespace pitchwise {

namespace {

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= low &&
           value <= high;
}

// "COM3" or "3", one of the ports the QSB is looked for on.
bool ReadPort(const std::string& text, int& port) {
    const std::string digits = text.rfind("COM", 0) == 0 ? text.substr(3) : text;
    long long n = 0;
    if (!ReadWhole(digits, QSB_FIRST_PORT, QSB_LAST_PORT, n)) return false;
    port = static_cast<int>(n);
    return true;
}

enum class Took { OK, BAD_VALUE, UNKNOWN };
using TakeOption = std::function<Took(const std::string& option, const std::string& value)>;

// Walks the arguments after the command word. A flag (in `flags`) comes
// alone, an argument without a dash is taken as the value of option "",
// every other option takes the argument after it.
CaptureStatus WalkOptions(const std::vector<std::string>& a, const std::vector<std::string>& flags,
                          const TakeOption& take) {
    for (std::size_t i = 1; i < a.size(); ++i) {
        std::string option = a[i];
        std::string value;
        if (option.empty() || option[0] != '-') {
            value = option;
            option.clear();
        } else if (std::find(flags.begin(), flags.end(), option) == flags.end()) {
            if (i + 1 >= a.size()) {
                // Last on the line, an unknown option is still named as unknown,
                // not as one missing its value; the command is refused either way.
                return CaptureStatus(take(option, "") == Took::UNKNOWN
                                         ? CaptureCode::USAGE_UNKNOWN_OPTION
                                         : CaptureCode::USAGE_NEEDS_VALUE,
                                     {}, option);
            }
            value = a[++i];
        }
        const Took took = take(option, value);
        if (took == Took::UNKNOWN) {
            return option.empty() ? CaptureStatus(CaptureCode::USAGE_UNEXPECTED_ARGUMENT, {}, value)
                                  : CaptureStatus(CaptureCode::USAGE_UNKNOWN_OPTION, {}, option);
        }
        if (took == Took::BAD_VALUE) {
            return option.empty() ? CaptureStatus(CaptureCode::USAGE_ONE_PLAN, {}, value)
                                  : CaptureStatus(CaptureCode::USAGE_BAD_VALUE,
                                                  {static_cast<double>(i)}, option);
        }
    }
    return CaptureStatus();
}

Took Check(bool read) {
    return read ? Took::OK : Took::BAD_VALUE;
}

CaptureStatus ParsePlan(const std::vector<std::string>& a, PlanCommand& plan) {
    PlanRequest& r = plan.request;
    bool axis = false, from = false, to = false, dialect = false;
    auto take = [&](const std::string& option, const std::string& value) {
        double number = 0;
        long long whole = 0;
        if (option == "--random-offsets") {
            r.randomOffsets = true;
            return Took::OK;
        }
        if (option == "--axis") {
            r.axis = value.empty() ? '?' : value[0];
            axis = true;
            return Check(value == "X" || value == "Y" || value == "Z");
        }
        if (option == "--from") return from = true, Check(ReadDecimal(value, r.from));
        if (option == "--to") return to = true, Check(ReadDecimal(value, r.to));
        if (option == "--targets") {
            const bool read = ReadWhole(value, 1, 10000, whole);
            r.targets = static_cast<int>(whole);
            return Check(read);
        }
        if (option == "--spacing") return Check(ReadDecimal(value, r.spacing) && r.spacing > 0);
        if (option == "--runs") {
            const bool read = ReadWhole(value, 1, 100, whole);
            r.runs = static_cast<int>(whole);
            return Check(read);
        }
        if (option == "--dwell") return Check(ReadDecimal(value, r.dwell));
        if (option == "--counts-per-unit")
            return Check(ReadDecimal(value, r.countsPerUnit) && r.countsPerUnit > 0);
        if (option == "--overrun" || option == "--feed" || option == "--window" ||
            option == "--lost-motion") {
            // A feed of 0 is a slip on the line, as a spacing of 0 is.
            const bool read = ReadDecimal(value, number) && (option != "--feed" || number > 0);
            std::optional<double>& field = option == "--overrun"  ? r.overrun
                                           : option == "--feed"   ? r.feed
                                           : option == "--window" ? r.window
                                                                  : r.lostMotion;
            field = number;
            return Check(read);
        }
        if (option == "--seed") {
            const bool read = ReadWhole(value, 0, 4294967295LL, whole);
            r.seed = static_cast<std::uint32_t>(whole);
            plan.seedGiven = true;
            return Check(read);
        }
        if (option == "--dialect") return dialect = true, Check(DialectFromName(value, r.dialect));
        if (option == "--unit") return Check(UnitFromName(value, r.unit));
        if (option == "-o") {
            plan.program = value;
            return Took::OK;
        }
        return Took::UNKNOWN;
    };
    const CaptureStatus walked = WalkOptions(a, {"--random-offsets"}, take);
    if (!walked) return walked;
    if (!axis || !from || !to || !dialect || plan.program.empty())
        return CaptureStatus(CaptureCode::USAGE_PLAN_INCOMPLETE);
    // A seed without offsets would be silently unused.
    if (plan.seedGiven && !r.randomOffsets)
        return CaptureStatus(CaptureCode::USAGE_SEED_WITHOUT_OFFSETS, {}, "--seed");
    return CaptureStatus();
}

CaptureStatus ParseRun(const std::vector<std::string>& a, RunCommand& run) {
    auto take = [&run](const std::string& option, const std::string& value) {
        if (option.empty()) {
            const bool first = run.plan.empty();
            run.plan = value;
            return Check(first);
        }
        if (option == "--table-in-force") {
            run.tableInForce = true;
            return Took::OK;
        }
        if (option == "--port") return Check(ReadPort(value, run.port));
        if (option == "--log") {
            run.log = value;
            return Took::OK;
        }
        if (option == "--window") {
            double window = 0;
            const bool read = ReadDecimal(value, window);
            run.window = window;
            return Check(read);
        }
        if (option == "--band") {
            long long band = 0;
            const bool read = ReadWhole(value, 0, 100000, band);
            run.bandCounts = static_cast<int>(band);
            return Check(read);
        }
        return Took::UNKNOWN;
    };
    const CaptureStatus walked = WalkOptions(a, {"--table-in-force"}, take);
    if (!walked) return walked;
    if (run.plan.empty()) return CaptureStatus(CaptureCode::USAGE_RUN_WITHOUT_PLAN);
    if (run.log.empty()) run.log = RunLogPathFor(run.plan);
    return CaptureStatus();
}

}  // namespace

CaptureStatus ParseCaptureCommand(const std::vector<std::string>& arguments,
                                  CaptureCommand& command) {
    command = CaptureCommand();
    if (arguments.empty()) return CaptureStatus(CaptureCode::USAGE_NO_COMMAND);
    const std::string& verb = arguments[0];
    if (verb == "--help" || verb == "-h") return CaptureStatus();
    if (verb == "plan") {
        command.kind = CaptureCommand::PLAN;
        return ParsePlan(arguments, command.plan);
    }
    if (verb == "run") {
        command.kind = CaptureCommand::RUN;
        return ParseRun(arguments, command.run);
    }
    return CaptureStatus(CaptureCode::USAGE_UNKNOWN_COMMAND, {}, verb);
}

std::string PlanPathFor(const std::string& program) {
    const std::size_t slash = program.rfind('/');
    const std::size_t dot = program.rfind('.');
    const bool extension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (extension ? program.substr(0, dot) : program) + ".plan";
}

std::string RunLogPathFor(const std::string& plan) {
    const std::string suffix = ".plan";
    const bool named = plan.size() > suffix.size() &&
                       plan.compare(plan.size() - suffix.size(), suffix.size(), suffix) == 0;
    return (named ? plan.substr(0, plan.size() - suffix.size()) : plan) + "-runs.csv";
}

}  // namespace pitchwise
