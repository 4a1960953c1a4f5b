// Any text as a machine's INI file: reading it and describing each axis
// never crashes, and an axis the library accepts has joints the kinematics
// give that letter, finite limits that leave a range, and a known unit. A
// wrong joint or a reversed range would move the machine somewhere else.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "ini_file.h"
#include "machine_ini.h"

namespace pitchwise {

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CIniFile ini;
    ini.Parse(std::string(reinterpret_cast<const char*>(data), size));
    for (char axis : {'X', 'Y', 'Z'}) {
        AxisIni result;
        std::string why;
        if (!DescribeAxis(ini, "/m", axis, result, why)) {
            FUZZ_CHECK(!why.empty());
            continue;
        }
        FUZZ_CHECK(result.axis == axis);
        FUZZ_CHECK(!result.joints.empty());
        FUZZ_CHECK(std::isfinite(result.minLimit) && std::isfinite(result.maxLimit));
        FUZZ_CHECK(result.minLimit <= result.maxLimit);
        FUZZ_CHECK(result.mmPerUnit == 1.0 || result.mmPerUnit == 25.4);
        for (const JointIni& joint : result.joints) {
            FUZZ_CHECK(joint.joint >= 0 && joint.joint < 9);
            FUZZ_CHECK(joint.minLimit <= result.minLimit && joint.maxLimit >= result.maxLimit);
            FUZZ_CHECK(joint.compFile.empty() || joint.compFile[0] == '/');
        }
    }
    return 0;
}

}  // namespace pitchwise
