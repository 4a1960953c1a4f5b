// The figures of the latest mapping measurement beside those of the latest
// verification measurement (made through the table), and how much of the
// error the table removed. Pure: the text is made from the figures alone.
#pragma once

#include <string>
#include <vector>

#include "positioning_figures.h"

namespace pitchwise {

// Percent of `before` that `after` no longer has: 100 when nothing is
// left, negative when more is left than there was; absent without both
// figures or with nothing before.
Figure PercentRemoved(const Figure& before, const Figure& after);

// The systematic figures (E+, E-, E, M) whose residual is larger than the
// error the table was meant to remove, each as one sentence with both
// numbers in QSB counts.
std::vector<std::string> ResidualsLargerThanBefore(const AxisFigures& before,
                                                   const AxisFigures& after);

// All twelve figures side by side, in the length unit and in QSB counts,
// the percent of E and M removed, and the call-outs above.
std::string BeforeAfterText(const AxisFigures& before, const AxisFigures& after);

}  // namespace pitchwise
