#include "linuxcnc_config.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "text.h"
#include "text_file.h"

namespace pitchwise {

namespace {

bool ParseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    // "inf" would lift a limit altogether and "nan" pass every comparison.
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool ParseInteger(const std::string& text, int& value) {
    double number;
    // Out of int's range the conversion itself would be undefined.
    if (!ParseNumber(text, number) || std::fabs(number) > 1e9 ||
        number != static_cast<int>(number)) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool ApplySetting(const std::string& key, const std::string& value, LinuxCncConfig& config) {
    double number = 0.0;
    if (key == "host") {
        config.host = value;
        return !value.empty();
    }
    if (key == "port")
        return ParseInteger(value, config.port) && config.port > 0 && config.port < 65536;
    if (key == "connect_password") {
        config.connectPassword = value;
        return true;
    }
    if (key == "enable_password") {
        config.enablePassword = value;
        return true;
    }
    if (key == "ini") {
        config.iniFile = value;
        return true;
    }
    if (key == "log") {
        config.logFile = value;
        return true;
    }
    if (key.size() == 7 && key.compare(0, 6, "joint_") == 0) {
        int axis = AxisIndex(static_cast<char>(std::toupper(key[6])));
        return axis >= 0 && ParseInteger(value, config.joint[axis]) && config.joint[axis] >= 0 &&
               config.joint[axis] < 16;
    }
    if (key.size() == 11 && key.compare(0, 10, "comp_file_") == 0) {
        int axis = AxisIndex(static_cast<char>(std::toupper(key[10])));
        if (axis < 0) return false;
        config.compFile[axis] = value;
        return true;
    }
    if (!ParseNumber(value, number)) return false;
    if (key == "feed") {
        config.feed = number;
        config.feedGiven = true;
    } else if (key == "dwell") {
        config.dwellSeconds = number;
    } else if (key == "max_correction") {
        config.maxCorrection = number;
        config.maxCorrectionGiven = true;
    } else if (key == "max_change_per_spacing") {
        config.maxChangeRatio = number;
    } else if (key == "in_position_tolerance") {
        config.inPositionTolerance = number;
        config.toleranceGiven = true;
    } else if (key == "approach_distance") {
        config.approachDistance = number;
        config.approachGiven = true;
    } else {
        return false;
    }
    // Every number setting is a length, a time or a ratio: none may be negative,
    // and feed and tolerance must be positive to move at all.
    if (key == "feed" || key == "in_position_tolerance" || key == "approach_distance")
        return number > 0.0;
    return number >= 0.0;
}

}  // namespace

int AxisIndex(char axis) {
    switch (axis) {
        case 'X':
            return 0;
        case 'Y':
            return 1;
        case 'Z':
            return 2;
        default:
            return -1;
    }
}

LinuxCncConfig InMachineUnit(const LinuxCncConfig& config, double mmPerUnit) {
    LinuxCncConfig result = config;
    if (!config.feedGiven) result.feed = config.feed / mmPerUnit;
    if (!config.maxCorrectionGiven) result.maxCorrection = config.maxCorrection / mmPerUnit;
    if (!config.toleranceGiven) result.inPositionTolerance = config.inPositionTolerance / mmPerUnit;
    if (!config.approachGiven) result.approachDistance = config.approachDistance / mmPerUnit;
    return result;
}

bool ParseConfig(const std::string& text, LinuxCncConfig& config, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        std::size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        line = Trim(line);
        if (line.empty()) continue;
        std::size_t equals = line.find('=');
        std::string key = equals == std::string::npos ? line : Trim(line.substr(0, equals));
        std::string value =
            equals == std::string::npos ? std::string() : Trim(line.substr(equals + 1));
        if (equals == std::string::npos || !ApplySetting(key, value, config)) {
            error = "line " + std::to_string(number) + ": cannot use \"" + line + "\"";
            return false;
        }
    }
    return true;
}

bool LoadConfig(LinuxCncConfig& config, std::string& path, std::string& error) {
    const char* chosen = std::getenv("TARVEX_LINUXCNC_CONFIG");
    const char* home = std::getenv("HOME");
    std::string candidates[2];
    int count = 0;
    if (chosen != nullptr && *chosen != '\0') {
        candidates[count++] = chosen;
    } else {
        if (home != nullptr)
            candidates[count++] = std::string(home) + "/.config/tarvex-linuxcnc.conf";
        candidates[count++] = "/etc/tarvex-linuxcnc.conf";
    }
    for (int i = 0; i < count; ++i) {
        std::string text;
        const FileRead read = ReadTextFile(candidates[i], text, error);
        if (read == FileRead::ABSENT) continue;
        path = candidates[i];
        if (read == FileRead::UNREADABLE) return false;
        if (!ParseConfig(text, config, error)) {
            error = path + ": " + error;
            return false;
        }
        return true;
    }
    error =
        "no configuration file (" + candidates[0] + (count > 1 ? " or " + candidates[1] : "") + ")";
    return false;
}

}  // namespace pitchwise
