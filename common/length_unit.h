// The length unit a machine, a plan or a run log counts in. One type for
// the whole house: a run log, a plan and an exported table must agree on
// it, and two definitions once made a program linking both fail.
#pragma once

#include <string>

namespace pitchwise {

enum class LengthUnit { UNKNOWN, MM, INCH };

// Millimetres per unit: 1, 25.4, or 0 when unknown.
double MillimetresPerUnit(LengthUnit unit);

// "mm", "inch", or "the machine's length unit" when unknown.
const char* UnitName(LengthUnit unit);

// "mm" or "inch"; false for anything else (including an empty name).
bool UnitFromName(const std::string& name, LengthUnit& unit);

}  // namespace pitchwise
