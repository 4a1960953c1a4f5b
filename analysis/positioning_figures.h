// The positional-deviation figures of one axis, from repeated runs in both
// directions: mean deviations, reversal, repeatability, systematic and mean
// bidirectional deviation, accuracy. Pure arithmetic: no files, no clock.
//
// All deviations are actual minus target, in the caller's length unit.
// "Up" is a target reached moving positive, "down" one reached moving
// negative.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace pitchwise {

// The deviations measured at one target, each in the direction the axis
// reached it (one value per run that measured it that way).
struct TargetDeviations {
    double target = 0;
    std::vector<double> up;
    std::vector<double> down;
};

// A figure is absent when the runs cannot give it: no sample in a
// direction, or a single one where a standard uncertainty is needed.
using Figure = std::optional<double>;

struct TargetFigures {
    double target = 0;
    std::size_t runsUp = 0;
    std::size_t runsDown = 0;
    Figure meanUp;      // x̄_i↑
    Figure meanDown;    // x̄_i↓
    Figure mean;        // x̄_i, both directions
    Figure reversal;    // B_i = x̄_i↑ - x̄_i↓
    Figure sUp;         // s_i↑, needs two runs
    Figure sDown;       // s_i↓
    Figure repeatUp;    // R_i↑ = 4 s_i↑
    Figure repeatDown;  // R_i↓ = 4 s_i↓
    Figure repeat;      // R_i, both directions
};

struct AxisFigures {
    std::vector<TargetFigures> targets;  // in the order given
    Figure reversal;                     // B = max |B_i|
    Figure meanReversal;                 // B̄ = mean of B_i
    Figure repeatUp;                     // R↑ = max R_i↑
    Figure repeatDown;                   // R↓ = max R_i↓
    Figure repeat;                       // R = max R_i
    Figure systematicUp;                 // E↑
    Figure systematicDown;               // E↓
    Figure systematic;                   // E, over both directions' means
    Figure meanDeviation;                // M = max x̄_i - min x̄_i
    Figure accuracyUp;                   // A↑
    Figure accuracyDown;                 // A↓
    Figure accuracy;                     // A, over both directions
};

// Unidirectional axis figures run over the targets measured in that
// direction, bidirectional ones over the targets measured both ways (E and
// A over every mean of either direction). A figure that needs s at a target
// where it is missing is absent for the whole axis rather than quietly
// taken over fewer targets.
AxisFigures ComputeAxisFigures(const std::vector<TargetDeviations>& targets);

}  // namespace pitchwise
