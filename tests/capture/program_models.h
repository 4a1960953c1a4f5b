// How each controller family executes a part program, written from what
// its vendor publishes: which words a block may hold, the unit of the
// geometry and of the feed, absolute or incremental, the work offset and
// what suppresses it, what counts a dwell in seconds. Each model runs the
// program's text line by line as that control would and gives the machine
// positions it reaches, or the line it would refuse or misread.
#pragma once

#include <string>
#include <vector>

#include "cycle_plan.h"

namespace pitchwise {

struct ControlSetup {
    // The unit in force before the program sets one; on Siemens the basic
    // system (MD10240), in which F stays unless G700/G710 switch it.
    LengthUnit basic = LengthUnit::MM;
    double workOffsetMm = 0;  // the active work offset on the program's axis
};

struct MachineStep {
    double positionMm = 0;       // the machine position reached
    double feedMmPerMinute = 0;  // 0: at rapid traverse
    double dwellSeconds = 0;     // standing there after the move
};

// False with the line and the reason where the control would stop or
// misread the program.
bool RunProgram(Dialect dialect, const std::string& program, char axis, const ControlSetup& setup,
                std::vector<MachineStep>& steps, std::string& why);

// True when the control moves the axis through the plan's waypoints in
// machine coordinates, at the plan's feed (at rapid where the dialect can
// only position so), dwelling as planned; otherwise why not.
bool FollowsPlan(const std::string& program, const CapturePlan& plan, const ControlSetup& setup,
                 std::string& why);

}  // namespace pitchwise
