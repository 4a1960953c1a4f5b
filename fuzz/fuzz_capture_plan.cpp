// Any plan file a person can leave beside a program: the reader either
// refuses it with a reason, or returns a plan that keeps every rule, reads
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
    std::string error;
    if (!ParsePlan(text, plan, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(CheckPlan(plan).ok());
    CapturePlan back;
    FUZZ_CHECK(ParsePlan(FormatPlan(plan, "x.ngc"), back, error));
    FUZZ_CHECK(back.targets == plan.targets && back.runs == plan.runs && back.dwell == plan.dwell &&
               back.window == plan.window && back.overrun == plan.overrun &&
               back.seed == plan.seed);
    // Kept small: the program grows with targets times runs.
    if (plan.targets.size() * static_cast<std::size_t>(plan.runs) < 2000) {
        const std::string program = PartProgram(plan);
        FUZZ_CHECK(program.find("nan") == std::string::npos);
        FUZZ_CHECK(program.find("inf") == std::string::npos);
    }
    return 0;
}

}  // namespace pitchwise
