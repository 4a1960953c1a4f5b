#include "run_policy.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "text.h"

namespace pitchwise {

namespace {

std::string Joint(int joint) {
    return "[JOINT_" + std::to_string(joint) + "]";
}

std::string Lower(char axis) {
    return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(axis))));
}

bool WithinLimits(const AxisIni& axis, double position) {
    return position >= axis.minLimit && position <= axis.maxLimit;
}

}  // namespace

const char* RefusalName(Refusal refusal) {
    switch (refusal) {
#define PITCHWISE_REFUSAL(name) \
    case Refusal::name:         \
        return #name;
#include "refusals.def"
#undef PITCHWISE_REFUSAL
    }
    return "?";
}

Verdict Refuse(Refusal refusal, const std::string& why) {
    return Verdict(refusal, why);
}

Verdict CheckCanBegin(const MachineStatus& status) {
    if (status.machine != "MACHINE ON")
        return Refuse(Refusal::MACHINE_OFF, "the machine is not on (\"" + status.machine + "\")");
    if (status.programStatus != "PROGRAM_STATUS IDLE") {
        return Refuse(Refusal::NOT_IDLE, "LinuxCNC is not idle (\"" + status.programStatus +
                                             "\"): end the program first");
    }
    return Go();
}

Verdict CheckReady(const MachineStatus& status) {
    if (status.machine != "MACHINE ON")
        return Refuse(Refusal::MACHINE_OFF, "the machine is not on (\"" + status.machine + "\")");
    if (status.mode != "MODE MDI")
        return Refuse(Refusal::NOT_IN_MDI, "LinuxCNC left MDI mode (\"" + status.mode + "\")");
    if (status.programStatus != "PROGRAM_STATUS IDLE")
        return Refuse(Refusal::NOT_IDLE, "LinuxCNC is not idle (\"" + status.programStatus + "\")");
    return Go();
}

Verdict CheckModes(const MachineStatus& status, double mmPerUnit) {
    if (!status.codesRead)
        return Refuse(Refusal::MODES_DIFFER, "cannot read LinuxCNC's active G codes");
    std::istringstream words(status.codes);
    std::vector<std::string> codes;
    for (std::string word; words >> word;) codes.push_back(word);
    auto active = [&codes](const char* code) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    const char* units = mmPerUnit != 1.0 ? "G20" : "G21";
    // Any other mode would move somewhere else or at another speed. The
    // operator's modes are left alone; the run refuses.
    std::string missing;
    if (!active(units)) missing += std::string(" ") + units;
    if (!active("G90")) missing += " G90";
    if (!active("G94")) missing += " G94";
    if (active("G7")) missing += " G8";
    if (missing.empty()) return Go();
    return Refuse(Refusal::MODES_DIFFER, "the active modes (" + status.codes +
                                             ") differ from what the run needs: run" + missing +
                                             " in MDI first");
}

Verdict CheckHomed(const MachineStatus& status) {
    for (const JointStatus& joint : status.joints) {
        if (!joint.homed)
            return Refuse(Refusal::NOT_HOMED,
                          "joint " + std::to_string(joint.joint) + " is not homed");
    }
    return Go();
}

Verdict CheckInPosition(const MachineStatus& status, double target, double tolerance) {
    for (const JointStatus& joint : status.joints) {
        if (!joint.positionRead) {
            return Refuse(Refusal::NOT_IN_POSITION,
                          "cannot read the position of joint " + std::to_string(joint.joint));
        }
        if (std::fabs(joint.position - target) > tolerance) {
            return Refuse(
                Refusal::NOT_IN_POSITION,
                "joint " + std::to_string(joint.joint) +
                    Format(" stands at %.6f, not at the point %.6f", joint.position, target));
        }
    }
    return Go();
}

Verdict CheckAxisSetup(const LinuxCncConfig& configured, bool withoutCompensation,
                       RunSetup& setup) {
    const AxisIni& axis = setup.axis;
    const std::vector<JointIni>& joints = axis.joints;
    const JointIni& first = joints.front();
    const std::string name(1, axis.axis);
    const int configuredJoint = configured.joint[AxisIndex(axis.axis)];
    if (configuredJoint >= 0 && configuredJoint != first.joint) {
        return Refuse(Refusal::JOINT_CONTRADICTS_KINEMATICS,
                      "joint_" + Lower(axis.axis) + " = " + std::to_string(configuredJoint) +
                          ", but the kinematics drive " + name + " with joint " +
                          std::to_string(first.joint));
    }
    for (const JointIni& joint : joints) {
        // One table for a gantry's joints: the QSB measures one carriage, and
        // the same correction on both sides keeps them square, where a table
        // for one joint alone would rack the gantry by the correction.
        if (joint.compFile != first.compFile || joint.compFileType != first.compFileType) {
            return Refuse(Refusal::GANTRY_TABLES_DIFFER,
                          name + " is driven by joints " + std::to_string(first.joint) + " and " +
                              std::to_string(joint.joint) +
                              ": both must name the same COMP_FILE and COMP_FILE_TYPE, "
                              "which the run writes for both");
        }
    }
    // LinuxCNC reads the table only at start: with COMP_FILE set, that file's
    // table is in force now, and nothing from outside can switch it off.
    setup.compensationInForce = !first.compFile.empty();
    if (setup.compensationInForce && first.compFileType != 0) {
        return Refuse(Refusal::COMP_FILE_TYPE_NOT_0,
                      "COMP_FILE_TYPE of " + Joint(first.joint) + " is not 0");
    }
    const std::string& configuredFile = configured.compFile[AxisIndex(axis.axis)];
    if (setup.compensationInForce && !configuredFile.empty() && configuredFile != first.compFile) {
        return Refuse(Refusal::COMP_FILE_DIFFERS, "comp_file_" + Lower(axis.axis) +
                                                      " differs from the INI's COMP_FILE " +
                                                      first.compFile);
    }
    if (withoutCompensation && setup.compensationInForce) {
        return Refuse(Refusal::L600_WITH_TABLE_IN_FORCE,
                      "L600: the compensation in " + first.compFile + " is in force; remove " +
                          "COMP_FILE from " + Joint(first.joint) +
                          " and restart LinuxCNC to measure without it");
    }
    for (const JointIni& joint : joints) {
        // LinuxCNC applies BACKLASH only while no table is loaded: the run
        // would measure that correction as the machine's own error, and the
        // table, once loaded, switches it off.
        if (!setup.compensationInForce && joint.backlash != 0.0) {
            return Refuse(Refusal::BACKLASH_IN_FORCE,
                          Joint(joint.joint) + Format("BACKLASH = %g", joint.backlash) +
                              " is in force while no table is: set it to 0 (the table takes "
                              "its place) and restart LinuxCNC");
        }
    }
    setup.compFile = setup.compensationInForce ? first.compFile : configuredFile;
    if (setup.compFile.empty())
        return Refuse(Refusal::NO_COMP_FILE, "no compensation file named for the axis");
    return Go();
}

Verdict CheckStart(const RunState& run, char axis, double position) {
    if (!run.mapping || axis != run.setup.axis.axis)
        return Refuse(Refusal::NOT_THE_MAPPED_AXIS, "not the axis being mapped");
    if (run.moves > 0) return Refuse(Refusal::START_ALREADY_SET, "the start is already set");
    if (!WithinLimits(run.setup.axis, position))
        return Refuse(Refusal::START_OUTSIDE_LIMITS, "the start lies outside the joint's limits");
    return Go();
}

Verdict CheckStep(const RunState& run, char axis, double target) {
    const RunSetup& setup = run.setup;
    if (run.moves == 0 || axis != setup.axis.axis)
        return Refuse(Refusal::NO_START, "no start on this axis");
    if (static_cast<int>(run.entries.size()) != run.moves)
        return Refuse(Refusal::POINT_WITHOUT_ENTRY, "the point reached has no entry yet");
    if (run.moves >= static_cast<int>(COMP_TABLE_MAX)) {
        return Refuse(Refusal::TABLE_FULL,
                      "the table would exceed " + std::to_string(COMP_TABLE_MAX) + " points");
    }
    const int direction = target > run.target ? 1 : target < run.target ? -1 : 0;
    if (direction == 0 || (run.direction != 0 && direction != run.direction))
        return Refuse(Refusal::WRONG_DIRECTION, "a step must go on in the run's direction");
    if (!WithinLimits(setup.axis, target))
        return Refuse(Refusal::POINT_OUTSIDE_LIMITS, "the point lies outside the joint's limits");
    if (run.direction == 0 &&
        !RunCanBeTied(setup.oldTable, setup.compensationInForce, run.approach, run.start, target)) {
        const std::string approach = run.approach > 0 ? "positive" : "negative";
        return Refuse(Refusal::NOTHING_TO_TIE_TO,
                      "the start was reached moving " + approach + " and the table has no " +
                          approach + " column over the first step to tie this run to: map the " +
                          approach + " direction over this range first");
    }
    return Go();
}

Verdict CheckEntryPlace(const RunState& run, int index) {
    if (run.moves == 0) return Refuse(Refusal::NO_START_YET, "no start yet");
    if (index != static_cast<int>(run.entries.size()) || index != run.moves - 1) {
        return Refuse(Refusal::ENTRY_OUT_OF_ORDER,
                      "expected the entry for point " + std::to_string(run.moves - 1));
    }
    return Go();
}

Verdict CheckEntryValue(const RunState& run, int index, double correction) {
    const LinuxCncConfig& config = run.setup.config;
    if (index == 0 && correction != 0.0)
        return Refuse(Refusal::START_ENTRY_NOT_0, "the start is the reference: its entry is 0");
    if (std::fabs(correction) > config.maxCorrection) {
        return Refuse(Refusal::CORRECTION_TOO_LARGE,
                      Format("the correction exceeds max_correction %g", config.maxCorrection));
    }
    if (index > 0) {
        const MapEntry& previous = run.entries.back();
        const double allowed = std::fabs(run.target - previous.nominal) * config.maxChangeRatio;
        if (std::fabs(correction - previous.correction) > allowed + 1e-9) {
            return Refuse(Refusal::CHANGE_TOO_STEEP,
                          Format("the change from the previous point exceeds %g", allowed));
        }
    }
    // The old table's points stay, so the union of both must fit.
    RunState with = run;
    with.entries.push_back(MapEntry{run.target, correction});
    const RunReadings readings = ReadingsOf(with);
    const bool positive = readings.direction > 0;
    if (MergeRun(run.setup.oldTable, RunColumn(run.setup.oldTable, readings), positive).size() >
        COMP_TABLE_MAX) {
        return Refuse(Refusal::MERGED_TABLE_FULL,
                      "the table with the file's other points would "
                      "exceed " +
                          std::to_string(COMP_TABLE_MAX) + " points");
    }
    return Go();
}

Verdict CheckEnd(const RunState& run) {
    if (!run.mapping || run.entries.empty() || static_cast<int>(run.entries.size()) != run.moves)
        return Refuse(Refusal::MAPPING_INCOMPLETE, "the mapping is not complete");
    return Go();
}

}  // namespace pitchwise
