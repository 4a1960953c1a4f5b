#include "text_file.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "test_files.h"

namespace pitchwise {

namespace {

class TextFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/text-file-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
    }
    void TearDown() override {
        for (const std::string& name : Names()) {
            const std::string path = m_folder + "/" + name;
            chmod(path.c_str(), 0644);
            RemoveUnreadable(path);
        }
        rmdir(m_folder.c_str());
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        if (DIR* folder = opendir(m_folder.c_str())) {
            while (dirent* entry = readdir(folder)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            closedir(folder);
        }
        return names;
    }
    std::string Path(const char* name) const { return m_folder + "/" + name; }

    std::string m_folder;
};

TEST_F(TextFileTest, TellsAMissingFileFromOneThatCannotBeRead) {
    std::string text = "stale";
    std::string error;
    EXPECT_EQ(ReadTextFile(Path("missing"), text, error), FileRead::ABSENT);
    EXPECT_EQ(text, "");
    const std::string reason = MakeUnreadable(Path("table"));
    EXPECT_EQ(ReadTextFile(Path("table"), text, error), FileRead::UNREADABLE);
    EXPECT_EQ(error, "cannot read " + Path("table") + ": " + reason);
    ASSERT_TRUE(WriteFileAtomically(Path("plain"), "a\0b", AtomicWriteOptions()).written);
    EXPECT_EQ(ReadTextFile(Path("plain"), text, error), FileRead::READ);
}

TEST_F(TextFileTest, ReplacesWholeKeepingModeAndBackupAndLeavesNoTemporary) {
    const std::string path = Path("comp.dat");
    AtomicWrite first = WriteFileAtomically(path, "old\n");
    ASSERT_TRUE(first.written) << first.message;
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);  // not mkstemp's 0600: LinuxCNC may be another user
    chmod(path.c_str(), 0640);
    AtomicWriteOptions options;
    options.backupPath = path + ".bak";
    ASSERT_TRUE(WriteFileAtomically(path, "new\n", options).written);
    std::string text;
    ASSERT_TRUE(ReadFileForTest(path, text));
    EXPECT_EQ(text, "new\n");
    ASSERT_TRUE(ReadFileForTest(path + ".bak", text));
    EXPECT_EQ(text, "old\n");
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names().size(), 2u);
    // Another user's file stays theirs; only root can hand a file over.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(WriteFileAtomically(path, "theirs\n").written);
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
}

TEST_F(TextFileTest, FailureSaysTheStepAndItsErrnoAndKeepsTheOldFile) {
    AtomicWrite missing = WriteFileAtomically(Path("no/such/file"), "x");
    EXPECT_FALSE(missing.written);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.message, "cannot create a file beside " + Path("no/such/file") +
                                   ": No such file or directory");
    // A folder where the file goes: the rename is the step that fails.
    const std::string folder = Path("in-the-way");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    AtomicWrite blocked = WriteFileAtomically(folder, "x");
    EXPECT_FALSE(blocked.written);
    EXPECT_EQ(blocked.error, EISDIR);
    EXPECT_EQ(blocked.message.compare(0, 15, "cannot replace "), 0) << blocked.message;
    EXPECT_EQ(Names().size(), 1u);  // no temporary left
}

}  // namespace

}  // namespace pitchwise
