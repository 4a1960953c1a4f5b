// Normalisation to 20 °C against the hand-worked example, and its options.
#include "temperature.h"

#include <gtest/gtest.h>

namespace pitchwise {

namespace {

TemperatureOptions Warm(double axis, double expansion, double scale, double scaleExpansion) {
    TemperatureOptions t;
    t.given = true;
    t.axisCelsius = axis;
    t.axisExpansion = expansion;
    t.scaleCelsius = scale;
    t.scaleExpansion = scaleExpansion;
    return t;
}

struct Normalisation {
    const char* name;
    TemperatureOptions options;
    double deviation, target, reference;
    double expected;
};

TEST(Temperature, NormalisedDeviation) {
    const Normalisation rows[] = {
        // The worked example: 500 mm from the reference, +0.0100 measured, a
        // steel axis at 23 °C (11.5 µm/m/K), a glass scale at 21 °C (8).
        {"worked example", Warm(23, 11.5, 21, 8), 0.0100, 500, 0, -0.0032498},
        {"lengths from the reference", Warm(23, 11.5, 21, 8), 0.0100, 600, 100, -0.0032498},
        {"at the reference nothing moves", Warm(30, 11.5, 25, 8), 0.0, 250, 250, 0.0},
        {"at 20 °C nothing moves", Warm(20, 11.5, 20, 8), 0.0100, 500, 0, 0.0100},
        {"axis and scale alike cancel", Warm(25, 10, 25, 10), 0.0100, 500, 0, 0.0100},
        {"below the reference", Warm(23, 11.5, 20, 0), 0.0, -100, 0, 0.0034499},
        {"not asked", TemperatureOptions(), 0.0100, 500, 0, 0.0100},
    };
    for (const Normalisation& row : rows) {
        EXPECT_NEAR(NormalisedDeviation(row.deviation, row.target, row.reference, row.options),
                    row.expected, 1e-7)
            << row.name;
    }
}

TEST(Temperature, RunsNormalisedOnTheirOwnReference) {
    LoggedRun first;
    first.measurement = 1;
    first.points = {{0, "", 100, 0, Direction::UP, 0.0}, {1, "", 600, 0, Direction::UP, 0.0100}};
    LoggedRun second = first;
    second.run = 2;
    second.points = {{0, "", 600, 0, Direction::UP, 0.0100}, {1, "", 100, 0, Direction::DOWN, 0}};
    std::vector<LoggedRun> runs = {first, second};
    NormaliseRuns(runs, Warm(23, 11.5, 21, 8));
    EXPECT_NEAR(runs[0].points[1].deviation, -0.0032498, 1e-7);
    EXPECT_NEAR(runs[1].points[0].deviation, -0.0032498, 1e-7);  // the first run's reference
    EXPECT_NEAR(runs[1].points[1].deviation, 0.0, 1e-9);
}

struct OptionRow {
    std::vector<std::string> args;
    bool accepted;
    bool given;
    const char* error;  // a part of it
};

TEST(Temperature, Options) {
    const OptionRow rows[] = {
        {{}, true, false, ""},
        {{"--temperature", "23", "--expansion", "11.5", "--scale-temperature", "21",
          "--scale-expansion", "8"},
         true,
         true,
         ""},
        {{"--temperature", "23", "--expansion", "11.5"}, false, false, "all four"},
        {{"--scale-expansion", "0"}, false, false, "all four"},
        {{"--temperature"}, false, false, "--temperature takes a number"},
        {{"--temperature", "81"}, false, false, "from -40 to 80"},
        {{"--expansion", "1e1"}, false, false, "--expansion takes"},
        {{"--expansion", "nan"}, false, false, "--expansion takes"},
        {{"--scale-temperature", "20,5"}, false, false, "--scale-temperature takes"},
    };
    for (const OptionRow& row : rows) {
        TemperatureOptions t;
        std::string error;
        bool accepted = true;
        for (std::size_t i = 0; i < row.args.size() && accepted; ++i)
            accepted = TakeTemperatureOption(row.args, i, t, error) == OptionTaken::TAKEN;
        accepted = accepted && FinishTemperatureOptions(t, error);
        EXPECT_EQ(accepted, row.accepted) << row.error;
        EXPECT_EQ(t.given, row.given) << row.error;
        EXPECT_NE(error.find(row.error), std::string::npos) << error;
    }
}

TEST(Temperature, TextSaysWhetherNormalised) {
    EXPECT_EQ(TemperatureText(TemperatureOptions()), "not normalised to 20 °C");
    EXPECT_EQ(
        TemperatureText(Warm(23, 11.5, 21, 8)),
        "normalised to 20 °C: axis at 23.00 °C, 11.50 µm/m/K; scale at 21.00 °C, 8.00 µm/m/K");
}

}  // namespace

namespace {

TEST(Temperature, TakenOutOfAProgramsArguments) {
    std::vector<std::string> words = {"report",
                                      "runs.csv",
                                      "--temperature",
                                      "23",
                                      "-o",
                                      "out",
                                      "--expansion",
                                      "11.5",
                                      "--scale-temperature",
                                      "21",
                                      "--scale-expansion",
                                      "8"};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    int argc = static_cast<int>(argv.size());
    TemperatureOptions t;
    std::string error;
    ASSERT_TRUE(TakeTemperatureArguments(argc, argv.data(), t, error)) << error;
    EXPECT_TRUE(t.given);
    ASSERT_EQ(argc, 4);
    EXPECT_EQ(std::string(argv[1]) + " " + argv[2] + " " + argv[3], "runs.csv -o out");
}

}  // namespace

}  // namespace pitchwise
