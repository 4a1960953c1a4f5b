// Any text as a machine's INI file: planning a table for each axis never
// crashes, and once its edits are made the INI names the table in every
// joint of the axis with type 0 and no backlash, so the same plan on the
// edited text has nothing left to change. An edit that missed its key, or
// hit another, would leave LinuxCNC running without the table or with it
// in the wrong joint.
#include <cstddef>
#include <cstdint>
#include <string>

#include "apply_plan.h"
#include "fuzz_check.h"
#include "ini_edit.h"

namespace pitchwise {

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CIniFile ini;
    ini.Parse(text);
    for (char axis : {'X', 'Y', 'Z'}) {
        ApplyRequest request;
        request.axis = axis;
        request.iniFolder = "/m";
        request.tablePath = "/m/t.dat";
        request.tableText = "0 0 0.01\n10 10.001 10.011\n";
        ApplyPlan plan;
        if (!PlanApply(ini, request, plan)) {
            FUZZ_CHECK(plan.edits.empty());
            continue;
        }
        FUZZ_CHECK(!plan.joints.empty() && plan.installPath[0] == '/');
        const std::string edited = EditIniTexts({text}, plan.edits).texts[0];
        CIniFile again;
        again.Parse(edited);
        ApplyPlan second;
        FUZZ_CHECK(PlanApply(again, request, second).ok());
        FUZZ_CHECK(second.edits.empty());
        FUZZ_CHECK(second.installPath == plan.installPath);
        for (int joint : second.joints) {
            std::string value;
            FUZZ_CHECK(again.Find("JOINT_" + std::to_string(joint), "COMP_FILE", value) &&
                       value == plan.installPath);
        }
    }
    return 0;
}

}  // namespace pitchwise
