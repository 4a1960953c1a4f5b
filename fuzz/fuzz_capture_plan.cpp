// Any plan file a person can leave beside a program: the reader either
// refuses it with a code, or returns a plan that keeps every rule, reads
// back the same once written out again, and makes a program.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cycle_plan.h"
#include "fuzz_check.h"
#include "part_program.h"
#include "plan_file.h"

namespace pitchwise {

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CapturePlan plan;
    const CaptureStatus read = ParsePlan(text, plan);
    if (!read) return 0;
    FUZZ_CHECK(CheckPlan(plan).ok());
    CapturePlan back;
    FUZZ_CHECK(ParsePlan(FormatPlan(plan, "x.ngc"), back).ok());
    FUZZ_CHECK(back.targets == plan.targets && back.runs == plan.runs && back.dwell == plan.dwell &&
               back.window == plan.window && back.overrun == plan.overrun &&
               back.seed == plan.seed && back.countsPerUnit == plan.countsPerUnit &&
               back.unit == plan.unit && back.dialect == plan.dialect);
    // Kept small: the program grows with targets times runs.
    if (plan.targets.size() * static_cast<std::size_t>(plan.runs) < 2000) {
        std::string program;
        FUZZ_CHECK(PartProgram(plan, program).ok());
        FUZZ_CHECK(program.find("nan") == std::string::npos);
        FUZZ_CHECK(program.find("inf") == std::string::npos);
    }
    return 0;
}

}  // namespace pitchwise
