// Every public header of the analysis, export and capture in one
// translation unit, linked with all three libraries: two modules can no
// longer define the same name twice, nor a header need another's absence.
#include <gtest/gtest.h>

#include "all_public_headers.h"

namespace pitchwise {

namespace {

TEST(AllHeaders, CompileAndLinkTogether) {
    // One call into each library, so the link is tried, not just the headers.
    RunLogReading reading;
    std::string error;
    EXPECT_TRUE(ParseRunLog("", reading, error));
    EXPECT_STREQ(UnitName(LengthUnit::INCH), "inch");
    EXPECT_FALSE(PlanPathFor("part.ngc").empty());
    EXPECT_FALSE(TableFormats().empty());
}

}  // namespace

}  // namespace pitchwise
