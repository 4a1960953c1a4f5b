// What the library needs from the machine's INI file about the axis it maps:
// the joints that drive it, their limits and compensation, the machine's unit.
#pragma once

#include <string>
#include <vector>

#include "ini_file.h"
#include "length_unit.h"

namespace pitchwise {

struct JointIni {
    int joint = 0;
    double minLimit = 0.0;
    double maxLimit = 0.0;
    std::string compFile;  // as LinuxCNC resolves it: relative to the INI's folder
    int compFileType = 0;
    double backlash = 0.0;
};

struct AxisIni {
    char axis = 0;
    std::vector<JointIni> joints;  // every joint the kinematics gives the letter
    double minLimit = 0.0;         // what all those joints and the axis allow
    double maxLimit = 0.0;
    double mmPerUnit = 1.0;            // 25.4 on a machine whose LINEAR_UNITS is inch
    LengthUnit unit = LengthUnit::MM;  // [TRAJ]LINEAR_UNITS
};

// Reads the axis through LinuxCNC's trivial kinematics: [KINS]KINEMATICS
// with its coordinates= (else one letter of XYZABCUVW per joint), checked
// against [TRAJ]COORDINATES. False with the reason when the machine has no
// such axis, uses kinematics the library cannot map through, or lacks what
// a mapping needs.
bool DescribeAxis(const CIniFile& ini, const std::string& iniFolder, char axis, AxisIni& result,
                  std::string& why);

}  // namespace pitchwise
