#include "capture_options.h"

#include <charconv>
#include <cmath>

namespace {

bool ReadDecimal(const std::string& text, double& value) {
    if (text.empty() || text.size() > 24) return false;
    auto result =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(value);
}

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= low &&
           value <= high;
}

// "COM3" or "3".
bool ReadPort(const std::string& text, int& port) {
    const std::string digits = text.rfind("COM", 0) == 0 ? text.substr(3) : text;
    long long n = 0;
    if (!ReadWhole(digits, 1, 255, n)) return false;
    port = static_cast<int>(n);
    return true;
}

bool ParsePlan(const std::vector<std::string>& a, PlanCommand& plan, std::string& error) {
    PlanRequest& r = plan.request;
    bool axis = false, from = false, to = false, dialect = false;
    for (std::size_t i = 1; i < a.size(); ++i) {
        const std::string& option = a[i];
        if (option == "--random-offsets") {
            r.randomOffsets = true;
            continue;
        }
        if (i + 1 >= a.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = a[++i];
        double number = 0;
        long long whole = 0;
        bool read = true;
        if (option == "--axis") {
            read = value == "X" || value == "Y" || value == "Z";
            r.axis = value.empty() ? '?' : value[0];
            axis = true;
        } else if (option == "--from") {
            read = ReadDecimal(value, r.from);
            from = true;
        } else if (option == "--to") {
            read = ReadDecimal(value, r.to);
            to = true;
        } else if (option == "--targets") {
            read = ReadWhole(value, 1, 10000, whole);
            r.targets = static_cast<int>(whole);
        } else if (option == "--spacing") {
            read = ReadDecimal(value, r.spacing) && r.spacing > 0;
        } else if (option == "--runs") {
            read = ReadWhole(value, 1, 100, whole);
            r.runs = static_cast<int>(whole);
        } else if (option == "--dwell") {
            read = ReadDecimal(value, r.dwell);
        } else if (option == "--overrun" || option == "--feed" || option == "--window" ||
                   option == "--lost-motion") {
            read = ReadDecimal(value, number);
            std::optional<double>& field = option == "--overrun"  ? r.overrun
                                           : option == "--feed"   ? r.feed
                                           : option == "--window" ? r.window
                                                                  : r.lostMotion;
            field = number;
        } else if (option == "--seed") {
            read = ReadWhole(value, 0, 4294967295LL, whole);
            r.seed = static_cast<std::uint32_t>(whole);
            plan.seedGiven = true;
        } else if (option == "--dialect") {
            read = DialectFromName(value, r.dialect);
            dialect = true;
        } else if (option == "--unit") {
            read = UnitFromName(value, r.unit);
        } else if (option == "-o") {
            plan.program = value;
        } else {
            error = "unknown option " + option;
            return false;
        }
        if (!read) {
            error = option + " cannot be " + value;
            return false;
        }
    }
    if (!axis || !from || !to || !dialect || plan.program.empty()) {
        error = "plan needs --axis, --from, --to, --dialect and -o";
        return false;
    }
    return true;
}

bool ParseRun(const std::vector<std::string>& a, RunCommand& run, std::string& error) {
    for (std::size_t i = 1; i < a.size(); ++i) {
        const std::string& option = a[i];
        if (option == "--table-in-force") {
            run.tableInForce = true;
            continue;
        }
        if (option.empty() || option[0] != '-') {
            if (!run.plan.empty()) {
                error = "one plan at a time";
                return false;
            }
            run.plan = option;
            continue;
        }
        if (i + 1 >= a.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = a[++i];
        bool read = true;
        if (option == "--port") {
            read = ReadPort(value, run.port);
        } else if (option == "--log") {
            run.log = value;
        } else if (option == "--window") {
            double window = 0;
            read = ReadDecimal(value, window);
            run.window = window;
        } else if (option == "--band") {
            long long band = 0;
            read = ReadWhole(value, 0, 100000, band);
            run.bandCounts = static_cast<int>(band);
        } else {
            error = "unknown option " + option;
            return false;
        }
        if (!read) {
            error = option + " cannot be " + value;
            return false;
        }
    }
    if (run.plan.empty()) {
        error = "run needs a plan";
        return false;
    }
    if (run.log.empty()) run.log = RunLogPathFor(run.plan);
    return true;
}

}  // namespace

bool ParseCaptureCommand(const std::vector<std::string>& arguments, CaptureCommand& command,
                         std::string& error) {
    command = CaptureCommand();
    if (arguments.empty()) {
        error = "give a command: plan or run";
        return false;
    }
    const std::string& verb = arguments[0];
    if (verb == "--help" || verb == "-h") return true;
    if (verb == "plan") {
        command.kind = CaptureCommand::PLAN;
        return ParsePlan(arguments, command.plan, error);
    }
    if (verb == "run") {
        command.kind = CaptureCommand::RUN;
        return ParseRun(arguments, command.run, error);
    }
    error = "unknown command " + verb;
    return false;
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
