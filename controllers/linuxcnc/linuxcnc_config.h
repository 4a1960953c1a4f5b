// The library's own settings: where LinuxCNC listens, which joint each
// axis drives, and the limits a mapping must keep.
#pragma once

#include <string>

struct LinuxCncConfig {
    std::string host = "127.0.0.1";
    int port = 5007;
    std::string connectPassword = "EMC";
    std::string enablePassword = "EMCTOO";
    std::string iniFile;                 // the running machine's INI: limits and COMP_FILE
    int joint[3] = {0, 1, 2};            // joint of X, Y and Z
    std::string compFile[3];             // used when the INI names no COMP_FILE for the joint
    double feed = 300.0;                 // machine units per minute for the steps
    double dwellSeconds = 1.0;           // what "G4D1" waits for the machine to settle
    double maxCorrection = 0.5;          // largest correction accepted, machine units
    double maxChangeRatio = 1.0 / 64.0;  // largest change between points per unit of spacing
    double inPositionTolerance = 0.001;
    std::string logFile;  // empty: $HOME/.local/state/tarvex-linuxcnc.log
};

// Index 0..2 for 'X', 'Y', 'Z'; -1 for anything else.
int AxisIndex(char axis);

// "key = value" lines; '#' starts a comment. False with a reason for an
// unknown key or a value that does not parse.
bool ParseConfig(const std::string& text, LinuxCncConfig& config, std::string& error);

// Reads $TARVEX_LINUXCNC_CONFIG, else $HOME/.config/tarvex-linuxcnc.conf,
// else /etc/tarvex-linuxcnc.conf. `path` says which one was read.
bool LoadConfig(LinuxCncConfig& config, std::string& path, std::string& error);

// The text without leading and trailing blanks.
std::string Trim(const std::string& text);

// Reads a whole file; false when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& text);
