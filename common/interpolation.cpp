#include "interpolation.h"

#include <cmath>

namespace pitchwise {

std::optional<double> InterpolateAt(const std::vector<Sample>& samples, double at, Beyond beyond,
                                    double same) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample& b = samples[i];
        if (std::fabs(b.x - at) <= same) return b.y;
        if (b.x < at) continue;
        if (i == 0) break;
        const Sample& a = samples[i - 1];
        return a.y + (at - a.x) / (b.x - a.x) * (b.y - a.y);
    }
    if (beyond == Beyond::REFUSE || samples.empty()) return std::nullopt;
    return at < samples.front().x ? samples.front().y : samples.back().y;
}

}  // namespace pitchwise
