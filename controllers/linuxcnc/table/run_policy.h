// The rules a mapping run keeps, as pure functions from what is known
// (the machine's status, its INI, the configuration, the run so far and
// the line) to a verdict: go on, or a refusal with its reason. The
// controller reads, asks these, and acts; nothing here talks to LinuxCNC.
#pragma once

#include <string>
#include <utility>

#include "machine_status.h"
#include "run_state.h"
#include "status.h"

namespace pitchwise {

enum class Refusal {
#define PITCHWISE_REFUSAL(name) name,
#include "refusals.def"
#undef PITCHWISE_REFUSAL
};

// The refusal's name, as in the code ("NOT_IN_MDI"), for tests and notes.
const char* RefusalName(Refusal refusal);

// A rule's answer: the house status with the refusal as its code (NONE
// when the line may go on), which callers and tests compare, and the
// reason the library's log gives the owner, naming the values that broke
// the rule.
class Verdict : public Status<Refusal> {
  public:
    Verdict() = default;
    Verdict(Refusal refusal, std::string reason)
        : Status<Refusal>(refusal), why(std::move(reason)) {}
    bool Refused() const { return !ok(); }

    std::string why;
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
