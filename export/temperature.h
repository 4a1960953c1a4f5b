// Deviations normalised to 20 °C. A measurement made warm shows the axis's
// own thermal growth, less the growth of the scale the QSB counts on, as
// pitch error; a table made from it would be wrong once the machine is at
// its reference temperature. Pure arithmetic, and the four options both
// pitchwise-export and pitchwise-report take for it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "run_log.h"

namespace pitchwise {

struct TemperatureOptions {
    bool given = false;         // all four given; otherwise none
    double axisCelsius = 20;    // --temperature
    double axisExpansion = 0;   // --expansion, µm/m/K
    double scaleCelsius = 20;   // --scale-temperature
    double scaleExpansion = 0;  // --scale-expansion, µm/m/K
    unsigned seen = 0;          // which of the four were given, one bit each
};

enum class OptionTaken { NOT_MINE, TAKEN, BAD };

// Takes args[i] (and its value, args[i + 1]) when it is one of the four
// options; `i` is left on the value. BAD with the reason in `error` when the
// value is missing or not a plausible number.
OptionTaken TakeTemperatureOption(const std::vector<std::string>& args, std::size_t& i,
                                  TemperatureOptions& options, std::string& error);

// Takes the four options out of a program's arguments, leaving the others
// in order for its own parser, and finishes them. False with the reason.
bool TakeTemperatureArguments(int& argc, char** argv, TemperatureOptions& options,
                              std::string& error);

// After the last option: all four or none. Sets `given`.
bool FinishTemperatureOptions(TemperatureOptions& options, std::string& error);

// The usage lines of the four options.
extern const char* const TEMPERATURE_USAGE;

// The deviation at `target` the axis would show at 20 °C, measured at
// `deviation` on a measurement whose reference (deviation 0) is `reference`.
// The QSB counts the scale's graduations, spread by the scale's growth, and
// the axis's lengths are grown by its own:
//   x20 = (L + x) * (1 + as (Ts - 20)) / (1 + a (T - 20)) - L,  L = target - reference.
// Exact rather than linearised: the two cost the same, and the exact form
// keeps the reference at 0.
double NormalisedDeviation(double deviation, double target, double reference,
                           const TemperatureOptions& options);

// Every deviation of `runs` normalised, each run on the reference of its own
// measurement (the start of the first run of its axis, measurement and kind).
void NormaliseRuns(std::vector<LoggedRun>& runs, const TemperatureOptions& options);

// "not normalised to 20 °C", or "normalised to 20 °C: axis at ... °C, ...".
std::string TemperatureText(const TemperatureOptions& options);

}  // namespace pitchwise
