// The library's own settings: where LinuxCNC listens, which joint each
// axis drives, and the limits a mapping must keep.
#pragma once

#include <string>

namespace pitchwise {

struct LinuxCncConfig {
    std::string host = "127.0.0.1";
    int port = 5007;
    std::string connectPassword = "EMC";
    std::string enablePassword = "EMCTOO";
    std::string iniFile;                 // used when LinuxCNC does not name the INI it runs with
    int joint[3] = {-1, -1, -1};         // joint of X, Y and Z; -1: from the kinematics
    std::string compFile[3];             // used when the INI names no COMP_FILE for the joint
    double feed = 300.0;                 // machine units per minute for the steps
    double dwellSeconds = 1.0;           // what "G4D1" waits for the machine to settle
    double maxCorrection = 0.5;          // largest correction accepted, machine units
    double maxChangeRatio = 1.0 / 64.0;  // largest change between points per unit of spacing
    double inPositionTolerance = 0.001;
    double approachDistance = 0.5;  // how far beyond the start the axis turns to reach it
    std::string logFile;            // empty: $HOME/.local/state/tarvex-linuxcnc.log
    // LinuxCNC creates it when it starts: files changed later are not what it runs.
    std::string lockFile = "/tmp/linuxcnc.lock";

    // Lengths not given in the file are millimetres until the machine's unit is known.
    bool feedGiven = false;
    bool maxCorrectionGiven = false;
    bool toleranceGiven = false;
    bool approachGiven = false;
};

// The settings with every length not given in the file converted from
// millimetres into the machine's unit (`mmPerUnit` 25.4 on an inch machine).
LinuxCncConfig InMachineUnit(const LinuxCncConfig& config, double mmPerUnit);

// Index 0..2 for 'X', 'Y', 'Z'; -1 for anything else.
int AxisIndex(char axis);

// "key = value" lines; '#' starts a comment. False with a reason for an
// unknown key or a value that does not parse.
bool ParseConfig(const std::string& text, LinuxCncConfig& config, std::string& error);

// Reads $TARVEX_LINUXCNC_CONFIG, else $HOME/.config/tarvex-linuxcnc.conf,
// else /etc/tarvex-linuxcnc.conf. `path` says which one was read. A file
// that is there but cannot be read is refused, never passed over for the
// next one or the defaults.
bool LoadConfig(LinuxCncConfig& config, std::string& path, std::string& error);

}  // namespace pitchwise
