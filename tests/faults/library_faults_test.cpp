// The controller library file: present but not loadable (another
// architecture, a Windows DLL, a text file, an empty file), and present with
// an entry missing. The operator sees the library's message and nothing is
// sent; a loadable library put in its place serves the next Create.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fault_bench.h"
#include "resource.h"

namespace pitchwise {

namespace {

namespace fs = std::filesystem;

const char CANT_LOAD[] = "Error - Can't load TARVEX.DLL.";

// Where LD_LIBRARY_PATH points this test's process.
const fs::path LIBRARY = fs::path(FAULT_SCRATCH_DIR) / "libTarvex.so";

void PutLibrary(const fs::path& from) {
    fs::create_directories(LIBRARY.parent_path());
    fs::copy_file(from, LIBRARY, fs::copy_options::overwrite_existing);
}

TEST(LibraryFault, FilesThatAreNoLibraryForThisMachineAreRefusedThenARealOneWorks) {
    fs::remove(LIBRARY);
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();

    bench.Create();  // no file at all
    for (const char* kind : {"i386", "aarch64", "mingw", "text"}) {
        const fs::path foreign = fs::path(FAULT_FOREIGN_DIR) / kind / "libTarvex.so";
        ASSERT_TRUE(fs::exists(foreign)) << foreign;
        PutLibrary(foreign);
        bench.Create();
        EXPECT_TRUE(bench.Calls().empty()) << kind;
    }
    {
        std::ofstream(LIBRARY, std::ios::trunc);  // an empty file
    }
    bench.Create();
    EXPECT_EQ(bench.Messages(), std::vector<std::string>(6, CANT_LOAD));
    // Only Find QSB reached the device: no zeroing, no reading.
    EXPECT_EQ(bench.Qsb().Commands(),
              (std::vector<std::string>{"R140!\n", "W038D!\n", "W08007A1200!\n"}));

    PutLibrary(FAULT_GOOD_LIBRARY);
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Done.");
    EXPECT_EQ(bench.Lines(), DefaultRunLines(1));
    fs::remove(LIBRARY);
}

TEST(MissingEntry, NothingIsCalledAndTheLibraryStaysAsLoaded) {
    CFaultBench bench;
    ASSERT_TRUE(bench.Qsb().Plug(1));
    bench.FindQsb();
    bench.Create();
    EXPECT_EQ(bench.Messages(),
              std::vector<std::string>{"Error - TARVEX.DLL function loading failed."});
    EXPECT_TRUE(bench.Calls().empty());

    // The library is never released, so the same process keeps finding the
    // same incomplete one: the second Create says so again, and still calls
    // nothing.
    bench.Create();
    EXPECT_EQ(bench.Messages().back(), "Error - TARVEX.DLL function loading failed.");
    EXPECT_TRUE(bench.Calls().empty());
}

}  // namespace

}  // namespace pitchwise
