// How each controller applies a table it is given, written from what its
// vendor publishes: where its points lie, the unit and sign of its values,
// linear interpolation between points, the end values held beyond them,
// and which column a direction takes. Each model reads the exported text
// as that controller would and says how far it moves the axis (machine
// unit) when commanded to a position moving one way.
#pragma once

#include <functional>
#include <string>

#include "run_log.h"

namespace pitchwise {

// The amount the controller adds to the command at `commanded`.
using ControllerRule = std::function<double(double commanded, Direction direction)>;

// False with the reason when the controller would not read `text`.
// `mmPerUnit` is the machine's length unit in mm (for the formats that
// hold mm or 0.1 um); `mmPerBasic` the Siemens control's basic system
// (MD10240), in which it reads every length a program writes.
bool LinuxCncRule(const std::string& text, bool offsets, ControllerRule& rule, std::string& why);
bool SiemensLecRule(const std::string& text, double mmPerUnit, double mmPerBasic,
                    ControllerRule& rule, std::string& why);
bool IsgRule(const std::string& text, double mmPerUnit, ControllerRule& rule, std::string& why);

}  // namespace pitchwise
