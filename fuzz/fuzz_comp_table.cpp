// Any text as a compensation file: checking and reading it never crashes,
// and a file the library accepts is one LinuxCNC reads whole, as the
// library reads it: every point, finite, nominals ascending, at most 256.
// A run builds its table on what was read, so a point lost here would be a
// point lost from the machine's table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "comp_table.h"
#include "fuzz_check.h"

namespace pitchwise {

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string why;
    const bool accepted = CheckCompTableText(text, why);
    const std::vector<CompPoint> table = ParseCompTable(text);
    if (!accepted) {
        FUZZ_CHECK(!why.empty());
        return 0;
    }
    FUZZ_CHECK(table.size() <= COMP_TABLE_MAX);
    std::size_t numbered = 0;  // lines holding anything but blanks
    bool stopped = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.find_first_not_of(" \t\r\v\f") == std::string::npos) {
            stopped = stopped || numbered == table.size();
            continue;
        }
        if (!stopped) ++numbered;
    }
    // Only a last line that is not three numbers may be left unread.
    FUZZ_CHECK(table.size() == numbered || table.size() + 1 == numbered);
    for (std::size_t i = 0; i < table.size(); ++i) {
        FUZZ_CHECK(std::isfinite(table[i].nominal) && std::isfinite(table[i].positive) &&
                   std::isfinite(table[i].negative));
        FUZZ_CHECK(i == 0 || table[i].nominal > table[i - 1].nominal);
    }
    if (!table.empty()) {
        FUZZ_CHECK(std::isfinite(ActualAt(table, true, table.front().nominal)));
        FUZZ_CHECK(std::isfinite(ActualAt(table, false, table.back().nominal)));
    }
    return 0;
}

}  // namespace pitchwise
