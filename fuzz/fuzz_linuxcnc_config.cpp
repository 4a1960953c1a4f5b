// Any text as the LinuxCNC library's configuration file: reading it never
// crashes, a refusal says why, and settings it accepts are ones the library
// can act on safely: finite numbers, a port, joints LinuxCNC can have, a
// feed, tolerance and approach that move at all, and no negative length.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "linuxcnc_config.h"

namespace pitchwise {

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LinuxCncConfig config;
    std::string error;
    if (!ParseConfig(std::string(reinterpret_cast<const char*>(data), size), config, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(config.port > 0 && config.port < 65536);
    FUZZ_CHECK(!config.host.empty());
    for (int joint : config.joint) FUZZ_CHECK(joint >= -1 && joint < 16);
    const double numbers[] = {
        config.feed,           config.dwellSeconds,        config.maxCorrection,
        config.maxChangeRatio, config.inPositionTolerance, config.approachDistance};
    for (double number : numbers) FUZZ_CHECK(std::isfinite(number) && number >= 0.0);
    FUZZ_CHECK(config.feed > 0.0 && config.inPositionTolerance > 0.0);
    FUZZ_CHECK(config.approachDistance > 0.0);
    for (double mmPerUnit : {1.0, 25.4}) {
        const LinuxCncConfig machine = InMachineUnit(config, mmPerUnit);
        FUZZ_CHECK(std::isfinite(machine.feed) && machine.feed > 0.0);
    }
    return 0;
}

}  // namespace pitchwise
