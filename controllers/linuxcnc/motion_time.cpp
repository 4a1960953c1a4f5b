#include "motion_time.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "linuxcnc_config.h"

namespace {

// LinuxCNC's values for an axis or joint whose INI section leaves the key out.
constexpr double DEFAULT_VELOCITY = 1.0;
constexpr double DEFAULT_ACCELERATION = 1.0;

// The first `key` of the first `section`, as LinuxCNC looks keys up; empty
// when there is none.
std::string IniValue(const std::string& text, const std::string& section, const std::string& key) {
    const std::string header = "[" + section + "]";
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    bool seen = false;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            if (seen) return std::string();
            inSection = line.compare(0, header.size(), header) == 0;
            seen = inSection;
            continue;
        }
        if (!inSection) continue;
        std::size_t equals = line.find('=');
        if (equals != std::string::npos && Trim(line.substr(0, equals)) == key)
            return Trim(line.substr(equals + 1));
    }
    return std::string();
}

// Lowers `limit` to the section's value for the first of `keys` it has, or
// to `fallback` when it has none and a fallback is given.
void Lower(double& limit, const std::string& text, const std::string& section,
           std::initializer_list<const char*> keys, double fallback) {
    for (const char* key : keys) {
        std::string value = IniValue(text, section, key);
        if (value.empty()) continue;
        char* end = nullptr;
        double number = std::strtod(value.c_str(), &end);
        // A value LinuxCNC could not use either leaves the limit as it is.
        if (end != value.c_str() && number > 0.0 && std::isfinite(number))
            limit = std::min(limit, number);
        return;
    }
    if (fallback > 0.0) limit = std::min(limit, fallback);
}

}  // namespace

MotionRates ReadMotionRates(const std::string& iniText, char axis, int joint) {
    const std::string axisSection = std::string("AXIS_") + axis;
    const std::string jointSection = "JOINT_" + std::to_string(joint);
    double velocity = HUGE_VAL;
    double acceleration = HUGE_VAL;
    // [TRAJ] has no default that would slow a single axis: only a value counts.
    Lower(velocity, iniText, "TRAJ", {"MAX_LINEAR_VELOCITY", "MAX_VELOCITY"}, 0.0);
    Lower(velocity, iniText, axisSection, {"MAX_VELOCITY"}, DEFAULT_VELOCITY);
    Lower(velocity, iniText, jointSection, {"MAX_VELOCITY"}, DEFAULT_VELOCITY);
    Lower(acceleration, iniText, "TRAJ", {"MAX_LINEAR_ACCELERATION", "MAX_ACCELERATION"}, 0.0);
    Lower(acceleration, iniText, axisSection, {"MAX_ACCELERATION"}, DEFAULT_ACCELERATION);
    Lower(acceleration, iniText, jointSection, {"MAX_ACCELERATION"}, DEFAULT_ACCELERATION);
    return MotionRates{velocity, acceleration};
}

double MoveSeconds(double distance, double velocity, double acceleration) {
    distance = std::fabs(distance);
    if (distance == 0.0) return 0.0;
    if (!(velocity > 0.0) || !(acceleration > 0.0)) return HUGE_VAL;
    // A trapezoid takes distance/v + v/a. A move too short to reach v takes
    // 2*sqrt(distance/a), which is never more (the mean of distance/v and
    // v/a is at least their geometric mean), so the one sum bounds both.
    return distance / velocity + velocity / acceleration;
}
