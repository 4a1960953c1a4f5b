#include "temperature.h"

#include "number_text.h"

namespace pitchwise {

const char* const TEMPERATURE_USAGE =
    "  --temperature T --expansion A     the axis at T °C during the runs, its\n"
    "                                    material growing A µm/m/K\n"
    "  --scale-temperature TS --scale-expansion AS\n"
    "                                    the QSB's scale at TS °C, growing AS µm/m/K\n"
    "                                    (all four, or none: not normalised to 20 °C)\n";

namespace {

struct TemperatureOption {
    const char* name;
    double TemperatureOptions::*field;
    double low;
    double high;
};

// Beyond these the numbers are slips: no machine shop measures outside the
// temperatures, and no machine material grows faster than these.
const TemperatureOption kOptions[] = {
    {"--temperature", &TemperatureOptions::axisCelsius, -40, 80},
    {"--expansion", &TemperatureOptions::axisExpansion, -50, 50},
    {"--scale-temperature", &TemperatureOptions::scaleCelsius, -40, 80},
    {"--scale-expansion", &TemperatureOptions::scaleExpansion, -50, 50},
};
constexpr unsigned kAllFour = 0xF;

double Growth(double expansion, double celsius) {
    return 1.0 + expansion * 1e-6 * (celsius - 20.0);
}

}  // namespace

OptionTaken TakeTemperatureOption(const std::vector<std::string>& args, std::size_t& i,
                                  TemperatureOptions& options, std::string& error) {
    for (unsigned k = 0; k < sizeof kOptions / sizeof kOptions[0]; ++k) {
        const TemperatureOption& option = kOptions[k];
        if (args[i] != option.name) continue;
        double value = 0;
        if (i + 1 >= args.size() || !ReadDecimal(args[i + 1], value) || value < option.low ||
            value > option.high) {
            error = std::string(option.name) + " takes a number from " + FixedText(option.low, 0) +
                    " to " + FixedText(option.high, 0);
            return OptionTaken::BAD;
        }
        options.*(option.field) = value;
        options.seen |= 1u << k;
        ++i;
        return OptionTaken::TAKEN;
    }
    return OptionTaken::NOT_MINE;
}

bool TakeTemperatureArguments(int& argc, char** argv, TemperatureOptions& options,
                              std::string& error) {
    const std::vector<std::string> args(argv, argv + argc);
    int kept = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        switch (TakeTemperatureOption(args, i, options, error)) {
            case OptionTaken::BAD:
                return false;
            case OptionTaken::TAKEN:
                break;
            case OptionTaken::NOT_MINE:
                argv[kept++] = argv[i];
                break;
        }
    }
    argc = kept;
    return FinishTemperatureOptions(options, error);
}

bool FinishTemperatureOptions(TemperatureOptions& options, std::string& error) {
    options.given = options.seen == kAllFour;
    if (options.seen != 0 && !options.given) {
        error =
            "normalising to 20 °C needs all four of --temperature, --expansion, "
            "--scale-temperature and --scale-expansion";
        return false;
    }
    return true;
}

double NormalisedDeviation(double deviation, double target, double reference,
                           const TemperatureOptions& options) {
    if (!options.given) return deviation;
    const double length = target - reference;
    return (length + deviation) * Growth(options.scaleExpansion, options.scaleCelsius) /
               Growth(options.axisExpansion, options.axisCelsius) -
           length;
}

void NormaliseRuns(std::vector<LoggedRun>& runs, const TemperatureOptions& options) {
    if (!options.given) return;
    // The references are taken before any deviation changes.
    std::vector<double> references;
    for (const LoggedRun& run : runs) {
        double reference = run.points.empty() ? 0 : run.points.front().target;
        for (const LoggedRun& first : runs) {
            if (first.axis == run.axis && first.measurement == run.measurement &&
                first.tableInForce == run.tableInForce && !first.points.empty()) {
                reference = first.points.front().target;
                break;
            }
        }
        references.push_back(reference);
    }
    for (std::size_t r = 0; r < runs.size(); ++r) {
        for (LoggedPoint& p : runs[r].points)
            p.deviation = NormalisedDeviation(p.deviation, p.target, references[r], options);
    }
}

std::string TemperatureText(const TemperatureOptions& options) {
    if (!options.given) return "not normalised to 20 °C";
    return "normalised to 20 °C: axis at " + FixedText(options.axisCelsius, 2) + " °C, " +
           FixedText(options.axisExpansion, 2) + " µm/m/K; scale at " +
           FixedText(options.scaleCelsius, 2) + " °C, " + FixedText(options.scaleExpansion, 2) +
           " µm/m/K";
}

}  // namespace pitchwise
