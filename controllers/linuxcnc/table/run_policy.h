// The rules a mapping run keeps, as pure functions from what is known
// (the machine's status, its INI, the configuration, the run so far and
// the line) to a verdict: go on, or a refusal with its reason. The
// controller reads, asks these, and acts; nothing here talks to LinuxCNC.
#pragma once

#include <string>

#include "machine_status.h"
#include "run_state.h"

namespace pitchwise {

enum class Refusal {
    NONE,
    // Any line
    NO_SESSION,
    EARLIER_MOVE_FAULTED,
    NOT_A_COMMAND,
    // "L600" and "L602"
    L600_AFTER_AXIS_LINE,
    ALREADY_MAPPING,
    MACHINE_OFF,
    NOT_IDLE,
    NOT_IN_MDI,
    OTHER_INI_RUNNING,
    NO_INI,
    FILE_UNREADABLE,  // the INI, a file it includes, the table or the run log
    AXIS_NOT_MAPPABLE,
    NO_LOCK_FILE,
    CHANGED_SINCE_START,
    JOINT_CONTRADICTS_KINEMATICS,
    NOT_HOMED,
    GANTRY_TABLES_DIFFER,
    COMP_FILE_TYPE_NOT_0,
    COMP_FILE_DIFFERS,
    L600_WITH_TABLE_IN_FORCE,
    BACKLASH_IN_FORCE,
    NO_COMP_FILE,
    TABLE_UNSOUND,
    MODES_DIFFER,
    MDI_SWITCH_FAILED,
    // "G0" to the start
    NOT_THE_MAPPED_AXIS,
    START_ALREADY_SET,
    START_OUTSIDE_LIMITS,
    NO_ROOM_TO_APPROACH,
    MOVE_REFUSED,
    // "G4D1" and "G1" steps
    NO_MAPPING,
    DWELL_REFUSED,
    NO_START,
    POINT_WITHOUT_ENTRY,
    TABLE_FULL,
    WRONG_DIRECTION,
    POINT_OUTSIDE_LIMITS,
    NOTHING_TO_TIE_TO,
    // "L606"
    NO_START_YET,
    ENTRY_OUT_OF_ORDER,
    STILL_MOVING,
    NOT_IN_POSITION,
    START_ENTRY_NOT_0,
    CORRECTION_TOO_LARGE,
    CHANGE_TOO_STEEP,
    MERGED_TABLE_FULL,
    // "L601"
    MAPPING_INCOMPLETE,
    STEEP_JUNCTION,
    RUN_NOT_KEPT,
    TABLE_NOT_WRITTEN,
    CANDIDATE_REFUSED,  // with the table in force: the refined candidate beyond a limit or
                        // unwritten
};

// The refusal's name, as in the code ("NOT_IN_MDI"), for tests and notes.
const char* RefusalName(Refusal refusal);

struct Verdict {
    Refusal refusal = Refusal::NONE;
    std::string why;  // the operator's reason
    bool Refused() const { return refusal != Refusal::NONE; }
};

Verdict Refuse(Refusal refusal, const std::string& why);
inline Verdict Go() {
    return Verdict();
}

// Before "L602": on, and no program running or paused (Cycle Start would
// resume it after the run).
Verdict CheckCanBegin(const MachineStatus& status);
// Before every move and entry: on, in MDI mode and idle, so a jog in manual
// mode can never be measured as a point.
Verdict CheckReady(const MachineStatus& status);
// The lines are plain numbers in the machine's unit, absolute, per minute.
Verdict CheckModes(const MachineStatus& status, double mmPerUnit);
Verdict CheckHomed(const MachineStatus& status);
// Every joint of the axis within `tolerance` of `target`.
Verdict CheckInPosition(const MachineStatus& status, double target, double tolerance);

// What the INI and the configuration allow for `axis`; fills
// `setup.compFile` and `setup.compensationInForce`.
Verdict CheckAxisSetup(const LinuxCncConfig& configured, bool withoutCompensation, RunSetup& setup);

Verdict CheckStart(const RunState& run, char axis, double position);
Verdict CheckStep(const RunState& run, char axis, double target);
// The entry is for the point just reached...
Verdict CheckEntryPlace(const RunState& run, int index);
// ...and its correction is one the table can take.
Verdict CheckEntryValue(const RunState& run, int index, double correction);
Verdict CheckEnd(const RunState& run);

}  // namespace pitchwise
