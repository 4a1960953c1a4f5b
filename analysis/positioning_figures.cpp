#include "positioning_figures.h"

#include <algorithm>
#include <cmath>

namespace pitchwise {

namespace {

Figure Mean(const std::vector<double>& values) {
    if (values.empty()) return std::nullopt;
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

// The sample standard deviation (n - 1 in the divisor): one run gives no
// spread to judge, so it gives no figure rather than a zero.
Figure StandardUncertainty(const std::vector<double>& values, const Figure& mean) {
    if (values.size() < 2 || !mean) return std::nullopt;
    double squares = 0;
    for (double v : values) squares += (v - *mean) * (v - *mean);
    return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

Figure Times(double factor, const Figure& value) {
    if (!value) return std::nullopt;
    return factor * *value;
}

// Largest and smallest of a figure over the targets; absent when no target
// gave it or when one target could not.
struct Range {
    bool any = false;
    bool missing = false;
    double low = 0;
    double high = 0;

    void Add(const Figure& value) {
        if (!value) {
            missing = true;
            return;
        }
        low = any ? std::min(low, *value) : *value;
        high = any ? std::max(high, *value) : *value;
        any = true;
    }
    std::size_t targets = 0;  // the targets that gave a value

    // A spread along the axis needs two targets at least: one alone would
    // read as a perfect axis.
    Figure Spread() const {
        return any && !missing && targets >= 2 ? Figure(high - low) : std::nullopt;
    }
    Figure Highest() const { return any && !missing ? Figure(high) : std::nullopt; }
};

TargetFigures FiguresAt(const TargetDeviations& samples) {
    TargetFigures f;
    f.target = samples.target;
    f.runsUp = samples.up.size();
    f.runsDown = samples.down.size();
    f.meanUp = Mean(samples.up);
    f.meanDown = Mean(samples.down);
    f.sUp = StandardUncertainty(samples.up, f.meanUp);
    f.sDown = StandardUncertainty(samples.down, f.meanDown);
    f.repeatUp = Times(4, f.sUp);
    f.repeatDown = Times(4, f.sDown);
    if (f.meanUp && f.meanDown) {
        f.mean = (*f.meanUp + *f.meanDown) / 2;
        f.reversal = *f.meanUp - *f.meanDown;
        // The bidirectional spread is both directions' 2s bands placed the
        // reversal apart; it can still be narrower than one direction's 4s
        // when that direction alone scatters widely, hence the largest of
        // the three.
        if (f.sUp && f.sDown) {
            f.repeat = std::max(
                {2 * *f.sUp + 2 * *f.sDown + std::fabs(*f.reversal), *f.repeatUp, *f.repeatDown});
        }
    }
    return f;
}

Figure PlusTwoS(const Figure& mean, const Figure& s, double sign) {
    if (!mean || !s) return std::nullopt;
    return *mean + sign * 2 * *s;
}

// The width from the lowest x̄ - 2s to the highest x̄ + 2s.
Figure Accuracy(const Range& upper, const Range& lower) {
    if (!upper.Highest() || !lower.Highest()) return std::nullopt;
    return upper.high - lower.low;
}

}  // namespace

AxisFigures ComputeAxisFigures(const std::vector<TargetDeviations>& targets) {
    AxisFigures axis;
    Range up, down, both, bidirectional, reversals, repeatUp, repeatDown, repeat;
    Range upperUp, lowerUp, upperDown, lowerDown;  // x̄ + 2s and x̄ - 2s
    double reversalSum = 0;
    std::size_t reversalCount = 0;
    for (const TargetDeviations& samples : targets) {
        TargetFigures f = FiguresAt(samples);
        if (f.meanUp || f.meanDown) ++both.targets;
        if (f.meanUp) {
            ++up.targets;
            up.Add(f.meanUp);
            both.Add(f.meanUp);
            repeatUp.Add(f.repeatUp);
            upperUp.Add(PlusTwoS(f.meanUp, f.sUp, +1));
            lowerUp.Add(PlusTwoS(f.meanUp, f.sUp, -1));
        }
        if (f.meanDown) {
            ++down.targets;
            down.Add(f.meanDown);
            both.Add(f.meanDown);
            repeatDown.Add(f.repeatDown);
            upperDown.Add(PlusTwoS(f.meanDown, f.sDown, +1));
            lowerDown.Add(PlusTwoS(f.meanDown, f.sDown, -1));
        }
        if (f.reversal) {
            ++bidirectional.targets;
            bidirectional.Add(f.mean);
            reversals.Add(std::fabs(*f.reversal));
            reversalSum += *f.reversal;
            ++reversalCount;
            repeat.Add(f.repeat);
        }
        axis.targets.push_back(f);
    }
    axis.systematicUp = up.Spread();
    axis.systematicDown = down.Spread();
    axis.repeatUp = repeatUp.Highest();
    axis.repeatDown = repeatDown.Highest();
    axis.accuracyUp = Accuracy(upperUp, lowerUp);
    axis.accuracyDown = Accuracy(upperDown, lowerDown);
    // Figures of the axis as a whole need both directions.
    if (up.any && down.any) {
        axis.systematic = both.Spread();
        if (axis.accuracyUp && axis.accuracyDown)
            axis.accuracy =
                std::max(upperUp.high, upperDown.high) - std::min(lowerUp.low, lowerDown.low);
    }
    if (reversalCount > 0) {
        axis.reversal = reversals.Highest();
        axis.meanReversal = reversalSum / static_cast<double>(reversalCount);
        axis.meanDeviation = bidirectional.Spread();
        axis.repeat = repeat.Highest();
    }
    return axis;
}

}  // namespace pitchwise
