// The straight line between measured neighbours, written once for every
// table and figure that reads between its points.
#pragma once

#include <optional>
#include <vector>

namespace pitchwise {

struct Sample {
    double x = 0.0;
    double y = 0.0;
};

// What lies beyond the first and the last sample.
enum class Beyond {
    HOLD,    // the end sample's value carries on
    REFUSE,  // nothing: no value is made up outside what was measured
};

// The value at `at` between the neighbouring samples (ascending in x). A
// sample within `same` of `at` gives its own value exactly. Empty only
// with Beyond::REFUSE outside the samples, or with no samples at all.
std::optional<double> InterpolateAt(const std::vector<Sample>& samples, double at, Beyond beyond,
                                    double same = 0.0);

}  // namespace pitchwise
