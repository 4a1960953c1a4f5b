#include "interpolation.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace pitchwise {

namespace {

TEST(InterpolateAt, ReadsBetweenNeighboursAndKeepsToItsEnds) {
    const std::vector<Sample> samples = {{0.0, 1.0}, {10.0, 3.0}, {20.0, -1.0}};
    struct Row {
        const char* name;
        double at;
        Beyond beyond;
        double same;
        std::optional<double> value;
    };
    const Row rows[] = {
        {"between the first two", 5.0, Beyond::REFUSE, 0.0, 2.0},
        {"between the last two", 12.5, Beyond::HOLD, 0.0, 2.0},
        {"on a sample", 10.0, Beyond::REFUSE, 0.0, 3.0},
        {"on the first sample", 0.0, Beyond::REFUSE, 0.0, 1.0},
        {"on the last sample", 20.0, Beyond::REFUSE, 0.0, -1.0},
        {"within same of a sample", 10.00004, Beyond::REFUSE, 5e-5, 3.0},
        {"just beyond same", 10.0001, Beyond::REFUSE, 5e-5, 3.0 - 4.0 * 0.0001 / 10.0},
        {"below, held", -5.0, Beyond::HOLD, 0.0, 1.0},
        {"above, held", 25.0, Beyond::HOLD, 0.0, -1.0},
        {"below, refused", -5.0, Beyond::REFUSE, 0.0, std::nullopt},
        {"above, refused", 25.0, Beyond::REFUSE, 0.0, std::nullopt},
        {"below within same of the first", -4e-5, Beyond::REFUSE, 5e-5, 1.0},
    };
    for (const Row& row : rows) {
        const std::optional<double> value = InterpolateAt(samples, row.at, row.beyond, row.same);
        ASSERT_EQ(value.has_value(), row.value.has_value()) << row.name;
        if (value) {
            EXPECT_NEAR(*value, *row.value, 1e-12) << row.name;
        }
    }
    EXPECT_FALSE(InterpolateAt({}, 1.0, Beyond::HOLD));
    EXPECT_EQ(InterpolateAt({{2.0, 7.0}}, -1.0, Beyond::HOLD), 7.0);
    EXPECT_EQ(InterpolateAt({{2.0, 7.0}}, 9.0, Beyond::HOLD), 7.0);
}

}  // namespace

}  // namespace pitchwise
