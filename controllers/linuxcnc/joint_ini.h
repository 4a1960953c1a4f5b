// What the library needs from the machine's INI file about one joint.
#pragma once

#include <string>

struct JointIni {
    double minLimit = 0.0;
    double maxLimit = 0.0;
    bool hasLimits = false;
    std::string compFile;  // as LinuxCNC resolves it: relative to the INI's folder
    int compFileType = 0;
};

// Reads [JOINT_<joint>] of the INI text; `iniFolder` resolves a relative
// COMP_FILE. False when the section is missing.
bool ParseJointIni(const std::string& text, const std::string& iniFolder, int joint,
                   JointIni& result);
