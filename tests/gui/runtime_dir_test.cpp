// The runtime folder given to Qt when the session has none: taken only when
// it is ours alone.

#include "runtime_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace pitchwise {

namespace {

TEST(RuntimeDir, TakenOnlyWhenPrivate) {
    char pattern[] = "/tmp/pitchwise-runtime-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string base = pattern;
    const unsigned uid = getuid();
    const std::string suffix = "-" + std::to_string(uid);
    struct Row {
        std::string name;
        std::function<void(const std::string& dir)> prepare;
        bool taken;
    };
    const std::vector<Row> rows = {
        {"fresh", [](const std::string&) {}, true},
        {"ours", [](const std::string& dir) { mkdir(dir.c_str(), 0700); }, true},
        {"open to others", [](const std::string& dir) { mkdir(dir.c_str(), 0755); }, false},
        {"a link",
         [&](const std::string& dir) {
             mkdir((base + "/elsewhere").c_str(), 0700);
             (void)!symlink((base + "/elsewhere").c_str(), dir.c_str());
         },
         false},
        {"a file",
         [](const std::string& dir) {
             std::FILE* f = std::fopen(dir.c_str(), "w");
             if (f) std::fclose(f);
             chmod(dir.c_str(), 0700);
         },
         false},
    };
    for (const Row& row : rows) {
        const std::string prefix = base + "/" + std::to_string(&row - rows.data());
        row.prepare(prefix + suffix);
        std::string dir;
        EXPECT_EQ(MakePrivateRuntimeDir(prefix, uid, dir), row.taken) << row.name;
        EXPECT_EQ(dir, prefix + suffix) << row.name;
        struct stat status {};
        if (row.taken) {
            ASSERT_EQ(stat(dir.c_str(), &status), 0) << row.name;
            EXPECT_EQ(status.st_mode & 0777, 0700u) << row.name;
        }
    }
    // Another user's folder, when we may make one for the test.
    if (uid == 0) {
        const std::string prefix = base + "/other";
        mkdir((prefix + "-0").c_str(), 0700);
        ASSERT_EQ(chown((prefix + "-0").c_str(), 65534, 65534), 0);
        std::string dir;
        EXPECT_FALSE(MakePrivateRuntimeDir(prefix, 0, dir));
    }
    std::system(("rm -rf '" + base + "'").c_str());
}

}  // namespace

}  // namespace pitchwise
