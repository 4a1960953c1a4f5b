// The command line: one row per case.
#include "export_options.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

struct OptionsRow {
    std::vector<std::string> args;
    const char* error;  // empty: accepted
};

TEST(ExportOptions, AcceptedAndRefused) {
    const OptionsRow rows[] = {
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc"}, ""},
        {{"--to", "csv", "--axis", "z", "runs.csv"}, ""},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--unit", "inch", "--max-points", "801",
          "--machine-axis", "X1", "--measuring-system", "1", "--basic-system", "inch"},
         ""},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--unit", "mm"}, "--basic-system"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--basic-system", "mm"},
         "--basic-system takes metric or inch"},
        {{"runs.csv", "--axis", "X", "--to", "isg", "--basic-system", "metric"},
         "for siemens-lec only"},
        {{"runs.csv", "--axis", "Y", "--to", "isg", "--unit", "mm", "--logical-axis", "4"}, ""},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--spacing", "0.5", "--from", "-10", "--until",
          "10.5", "--zero-at", "0", "--measurement", "3", "--max-correction", "0.1", "-o", "t.csv"},
         ""},
        {{"runs.csv", "--axis", "X"}, "--axis and --to are needed"},
        {{"--axis", "X", "--to", "csv"}, "the run log, --axis and --to are needed"},
        {{"runs.csv", "more.csv", "--axis", "X", "--to", "csv"}, "one too many"},
        {{"runs.csv", "--axis", "A", "--to", "csv"}, "--axis takes X, Y or Z"},
        {{"runs.csv", "--axis", "XY", "--to", "csv"}, "--axis takes X, Y or Z"},
        {{"runs.csv", "--axis", "X", "--to", "fanuc"}, "not \"fanuc\""},
        {{"runs.csv", "--axis", "X", "--to"}, "--to needs a value"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--unit", "cm"}, "--unit takes mm or inch"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--spacing", "0,5"}, "takes a decimal number"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--spacing", "inf"}, "takes a decimal number"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--from", "1e3"}, "takes a decimal number"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--until", "10000000000"},
         "takes a decimal number"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--max-correction", "0"}, "must be above 0"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--measurement", "0"}, "from 1 to"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--max-points", "1"}, "from 2 to"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--measuring-system", "2"},
         "from 0 to 1"},
        {{"runs.csv", "--axis", "X", "--to", "siemens-lec", "--machine-axis", "X 1"},
         "--machine-axis takes"},
        {{"runs.csv", "--axis", "X", "--to", "linuxcnc", "--max-points", "100"},
         "for siemens-lec only"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--logical-axis", "1"}, "for isg only"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--temperature", "23"}, "all four"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "--colour"}, "unknown option --colour"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "-o"}, "-o needs a value"},
        {{"runs.csv", "--axis", "X", "--to", "csv", "-o", ""}, "-o needs a file name"},
    };
    for (const OptionsRow& row : rows) {
        ExportOptions options;
        std::string error;
        const bool accepted = ParseExportOptions(row.args, options, error);
        const std::string expected = row.error;
        EXPECT_EQ(accepted, expected.empty()) << row.args[0] << " ... " << error;
        if (!expected.empty()) {
            EXPECT_NE(error.find(expected), std::string::npos) << error;
        }
    }
}

TEST(ExportOptions, DefaultsFollowTheAxisAndUnit) {
    ExportOptions options;
    std::string error;
    ASSERT_TRUE(ParseExportOptions(
        {"r", "--axis", "y", "--to", "siemens-lec", "--unit", "inch", "--basic-system", "metric"},
        options, error));
    EXPECT_EQ(options.basicSystem, LengthUnit::MM);
    EXPECT_EQ(options.axis, 'Y');
    EXPECT_EQ(options.machineAxis, "Y1");
    EXPECT_EQ(options.maxPoints, 200u);
    EXPECT_NEAR(MaxCorrection(options, options.unit), 0.5 / 25.4, 1e-12);
    EXPECT_EQ(MaxCorrection(options, LengthUnit::MM), 0.5);
    ASSERT_TRUE(ParseExportOptions({"r", "--axis", "Z", "--to", "isg"}, options, error));
    EXPECT_EQ(options.logicalAxis, 3);
    EXPECT_EQ(MaxCorrection(options, LengthUnit::UNKNOWN), 0.5);
    ASSERT_TRUE(ParseExportOptions({"r", "--help"}, options, error));
    EXPECT_TRUE(options.help);
}

}  // namespace

}  // namespace pitchwise
