#include "joint_ini.h"

#include <cstdlib>
#include <sstream>

#include "linuxcnc_config.h"

bool ParseJointIni(const std::string& text, const std::string& iniFolder, int joint,
                   JointIni& result) {
    const std::string wanted = "[JOINT_" + std::to_string(joint) + "]";
    std::istringstream lines(text);
    std::string line;
    bool inSection = false;
    bool found = false;
    bool hasMin = false;
    bool hasMax = false;
    while (std::getline(lines, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line[0] == '[') {
            inSection = line == wanted;
            found = found || inSection;
            continue;
        }
        if (!inSection) continue;
        std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = Trim(line.substr(0, equals));
        std::string value = Trim(line.substr(equals + 1));
        if (key == "MIN_LIMIT") {
            result.minLimit = std::strtod(value.c_str(), nullptr);
            hasMin = true;
        } else if (key == "MAX_LIMIT") {
            result.maxLimit = std::strtod(value.c_str(), nullptr);
            hasMax = true;
        } else if (key == "COMP_FILE_TYPE") {
            result.compFileType = std::atoi(value.c_str());
        } else if (key == "COMP_FILE" && !value.empty()) {
            result.compFile =
                value[0] == '/' || iniFolder.empty() ? value : iniFolder + "/" + value;
        }
    }
    result.hasLimits = hasMin && hasMax;
    return found;
}
