#include "machine_ini.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "text.h"

namespace pitchwise {

namespace {

// A value LinuxCNC would read as a number: a trailing word means the owner
// wrote something else, and a guess could move the machine past a limit.
bool ReadNumber(const CIniFile& ini, const std::string& section, const std::string& key,
                double& value, bool& present, std::string& why) {
    std::string text;
    present = ini.Find(section, key, text);
    if (!present) return true;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    // "nan" or "inf" would pass every limit comparison the wrong way.
    if (text.empty() || errno != 0 || *end != '\0' || !std::isfinite(value)) {
        why = "cannot read [" + section + "]" + key + " = " + text + " as a number";
        return false;
    }
    return true;
}

// The letter of each joint, as trivkins assigns them.
bool JointLetters(const CIniFile& ini, std::string& letters, std::string& why) {
    std::string kinematics;
    if (!ini.Find("KINS", "KINEMATICS", kinematics)) {
        why = "the INI file has no [KINS]KINEMATICS";
        return false;
    }
    std::istringstream words(kinematics);
    std::string module;
    words >> module;
    if (module != "trivkins") {
        why = "kinematics \"" + kinematics +
              "\": only trivkins moves one joint per axis letter, as a table for one joint needs";
        return false;
    }
    letters = "XYZABCUVW";
    for (std::string word; words >> word;) {
        if (word.compare(0, 12, "coordinates=") == 0) letters = Upper(word.substr(12));
    }
    letters.erase(std::remove(letters.begin(), letters.end(), ' '), letters.end());
    double joints = 0.0;
    bool present = false;
    if (!ReadNumber(ini, "KINS", "JOINTS", joints, present, why)) return false;
    if (present && joints >= 0 && joints < letters.size())
        letters.resize(static_cast<std::size_t>(joints));
    return true;
}

bool ReadJoint(const CIniFile& ini, const std::string& iniFolder, int joint, JointIni& result,
               std::string& why) {
    const std::string section = "JOINT_" + std::to_string(joint);
    if (!ini.HasSection(section)) {
        why = "the INI file has no [" + section + "]";
        return false;
    }
    result.joint = joint;
    bool hasMin = false;
    bool hasMax = false;
    bool present = false;
    double type = 0.0;
    if (!ReadNumber(ini, section, "MIN_LIMIT", result.minLimit, hasMin, why) ||
        !ReadNumber(ini, section, "MAX_LIMIT", result.maxLimit, hasMax, why) ||
        !ReadNumber(ini, section, "BACKLASH", result.backlash, present, why) ||
        !ReadNumber(ini, section, "COMP_FILE_TYPE", type, present, why)) {
        return false;
    }
    if (!hasMin || !hasMax) {
        why = "the INI file has no limits for [" + section + "]";
        return false;
    }
    result.compFileType = static_cast<int>(type);
    std::string compFile;
    if (ini.Find(section, "COMP_FILE", compFile) && !compFile.empty()) {
        result.compFile = compFile[0] == '/' ? compFile : iniFolder + "/" + compFile;
    }
    return true;
}

bool ReadUnit(const CIniFile& ini, AxisIni& axis, std::string& why) {
    std::string units;
    if (!ini.Find("TRAJ", "LINEAR_UNITS", units)) {
        why = "the INI file has no [TRAJ]LINEAR_UNITS";
        return false;
    }
    const std::string name = Upper(units);
    if (name == "MM" || name == "METRIC") {
        axis.unit = LengthUnit::MM;
    } else if (name == "INCH" || name == "IN" || name == "IMPERIAL") {
        axis.unit = LengthUnit::INCH;
    } else {
        why = "[TRAJ]LINEAR_UNITS = " + units + " is neither mm nor inch";
        return false;
    }
    axis.mmPerUnit = MillimetresPerUnit(axis.unit);
    return true;
}

}  // namespace

bool DescribeAxis(const CIniFile& ini, const std::string& iniFolder, char axis, AxisIni& result,
                  std::string& why) {
    result = AxisIni();
    result.axis = axis;
    std::string letters;
    if (!ReadUnit(ini, result, why) || !JointLetters(ini, letters, why)) return false;
    std::string coordinates;
    ini.Find("TRAJ", "COORDINATES", coordinates);
    if (Upper(coordinates).find(axis) == std::string::npos ||
        letters.find(axis) == std::string::npos) {
        why = std::string("the machine has no ") + axis + " axis (kinematics joints " + letters +
              ", [TRAJ]COORDINATES " + coordinates + ")";
        return false;
    }
    for (std::size_t joint = 0; joint < letters.size(); ++joint) {
        if (letters[joint] != axis) continue;
        JointIni read;
        if (!ReadJoint(ini, iniFolder, static_cast<int>(joint), read, why)) return false;
        if (result.joints.empty()) {
            result.minLimit = read.minLimit;
            result.maxLimit = read.maxLimit;
        }
        result.minLimit = std::max(result.minLimit, read.minLimit);
        result.maxLimit = std::min(result.maxLimit, read.maxLimit);
        result.joints.push_back(read);
    }
    // LinuxCNC refuses a move past the axis's own limits too.
    const std::string section = std::string("AXIS_") + axis;
    double limit = 0.0;
    bool present = false;
    if (!ReadNumber(ini, section, "MIN_LIMIT", limit, present, why)) return false;
    if (present) result.minLimit = std::max(result.minLimit, limit);
    if (!ReadNumber(ini, section, "MAX_LIMIT", limit, present, why)) return false;
    if (present) result.maxLimit = std::min(result.maxLimit, limit);
    if (result.minLimit > result.maxLimit) {
        why = std::string("the joints' and the axis's limits leave ") + axis + " no range";
        return false;
    }
    return true;
}

}  // namespace pitchwise
