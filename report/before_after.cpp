#include "before_after.h"

#include <cmath>
#include <cstdio>

#include "qsb.h"

namespace pitchwise {

namespace {

struct FigureName {
    const char* name;
    const char* meaning;
    Figure AxisFigures::*figure;
};

const FigureName kFigures[] = {
    {"E+", "systematic deviation, up", &AxisFigures::systematicUp},
    {"R+", "repeatability, up", &AxisFigures::repeatUp},
    {"A+", "accuracy, up", &AxisFigures::accuracyUp},
    {"E-", "systematic deviation, down", &AxisFigures::systematicDown},
    {"R-", "repeatability, down", &AxisFigures::repeatDown},
    {"A-", "accuracy, down", &AxisFigures::accuracyDown},
    {"E", "systematic deviation", &AxisFigures::systematic},
    {"M", "mean bidirectional deviation", &AxisFigures::meanDeviation},
    {"B", "reversal (largest |B_i|)", &AxisFigures::reversal},
    {"B~", "mean reversal", &AxisFigures::meanReversal},
    {"R", "repeatability", &AxisFigures::repeat},
    {"A", "accuracy", &AxisFigures::accuracy},
};

// What the table was made to remove: the systematic error, not the spread.
const FigureName kRemovable[] = {kFigures[0], kFigures[3], kFigures[6], kFigures[7]};

std::string Cell(const Figure& value, double scale, int precision) {
    char text[32];
    if (value)
        std::snprintf(text, sizeof text, "  %10.*f", precision, *value * scale);
    else
        std::snprintf(text, sizeof text, "  %10s", "--");
    return text;
}

std::string Counts(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value * QSB_COUNTS_PER_UNIT);
    return text;
}

}  // namespace

Figure PercentRemoved(const Figure& before, const Figure& after) {
    if (!before || !after || !(std::fabs(*before) > 0.0)) return std::nullopt;
    return 100.0 * (std::fabs(*before) - std::fabs(*after)) / std::fabs(*before);
}

std::vector<std::string> ResidualsLargerThanBefore(const AxisFigures& before,
                                                   const AxisFigures& after) {
    std::vector<std::string> said;
    for (const FigureName& f : kRemovable) {
        const Figure& was = before.*f.figure;
        const Figure& left = after.*f.figure;
        if (!was || !left || std::fabs(*left) <= std::fabs(*was)) continue;
        said.push_back(std::string(f.name) + " with the table in force (" + Counts(*left) +
                       " counts) is larger than the error it was meant to remove (" + Counts(*was) +
                       " counts): a table applied the wrong way round, or to the wrong joint, "
                       "looks like this");
    }
    return said;
}

std::string BeforeAfterText(const AxisFigures& before, const AxisFigures& after) {
    std::string text =
        "  figure                                    before       after      before       after\n"
        "                                         (length unit)          (QSB counts)\n";
    for (const FigureName& f : kFigures) {
        char head[64];
        std::snprintf(head, sizeof head, "  %-3s %-32s", f.name, f.meaning);
        text += head + Cell(before.*f.figure, 1.0, 6) + Cell(after.*f.figure, 1.0, 6) +
                Cell(before.*f.figure, QSB_COUNTS_PER_UNIT, 1) +
                Cell(after.*f.figure, QSB_COUNTS_PER_UNIT, 1) + "\n";
    }
    for (const FigureName& f : {kRemovable[2], kRemovable[3]}) {
        const Figure removed = PercentRemoved(before.*f.figure, after.*f.figure);
        char line[96];
        if (removed)
            std::snprintf(line, sizeof line, "  the table removed %.1f %% of %s\n", *removed,
                          f.name);
        else
            std::snprintf(line, sizeof line,
                          "  the table removed -- of %s (the runs give no figure)\n", f.name);
        text += line;
    }
    for (const std::string& warning : ResidualsLargerThanBefore(before, after))
        text += "  warning: " + warning + "\n";
    return text;
}

}  // namespace pitchwise
