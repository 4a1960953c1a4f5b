#include "text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_files.h"

namespace pitchwise {

namespace {

// Everything under a folder, links not followed: each name with its kind
// and, for a file, its bytes; for a link, what it names.
void Snapshot(const std::string& folder, const std::string& prefix,
              std::map<std::string, std::string>& out) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "/" + name;
        struct stat info {};
        lstat(path.c_str(), &info);
        std::string& said = out[prefix + name];
        if (S_ISLNK(info.st_mode)) {
            char target[512] = {};
            said = "link " + std::string(target, readlink(path.c_str(), target, sizeof target));
        } else if (S_ISDIR(info.st_mode)) {
            said = "folder";
            Snapshot(path, prefix + name + "/", out);
        } else if (S_ISFIFO(info.st_mode)) {
            said = "fifo";
        } else if (S_ISCHR(info.st_mode)) {
            said = "device " + std::to_string(info.st_rdev);
        } else {
            std::string text;
            ReadFileForTest(path, text);
            said = "file " + text;
        }
    }
    closedir(dir);
}

class TextFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/text-file-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        Snapshot(m_folder, "", files);
        return files;
    }
    std::string Path(const char* name) const { return m_folder + "/" + name; }
    void Write(const char* name, const std::string& text) const {
        std::FILE* file = std::fopen(Path(name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

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
    // Every byte, a NUL among them.
    const std::string binary("a\0b", 3);
    ASSERT_TRUE(WriteFileAtomically(Path("plain"), binary).ok());
    EXPECT_EQ(ReadTextFile(Path("plain"), text, error), FileRead::READ);
    EXPECT_EQ(text, binary);
}

TEST_F(TextFileTest, ReplacesWholeKeepingModeAndBackupAndLeavesNoTemporary) {
    const std::string path = Path("comp.dat");
    ASSERT_TRUE(WriteFileAtomically(path, "old\n").ok());
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);  // not mkstemp's 0600: LinuxCNC may be another user
    chmod(path.c_str(), 0640);
    AtomicWriteOptions options;
    options.backupPath = path + ".bak";
    ASSERT_TRUE(WriteFileAtomically(path, "new\n", options).ok());
    EXPECT_EQ(Files(), (std::map<std::string, std::string>{{"comp.dat", "file new\n"},
                                                           {"comp.dat.bak", "file old\n"}}));
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    // Another user's file stays theirs; only root can hand a file over.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        ASSERT_TRUE(WriteFileAtomically(path, "theirs\n").ok());
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
}

// What is at "out" decides: a link is followed and kept, anything not a
// file is refused with everything left as it was, byte for byte.
TEST_F(TextFileTest, FollowsLinksAndRefusesWhatIsNotAFileLeavingItAsItWas) {
    struct Row {
        const char* name;
        bool needsRoot;  // to make a device node
        std::function<void()> make;
        FileCode code;
        int systemError;
        std::map<std::string, std::string> changed;  // name: what it holds afterwards
    };
    const std::vector<Row> rows = {
        {"a file", false, [&] { Write("out", "old"); }, FileCode::OK, 0, {{"out", "file new"}}},
        {"a link",
         false,
         [&] {
             Write("real", "old");
             symlink("real", Path("out").c_str());
         },
         FileCode::OK,
         0,
         {{"real", "file new"}}},
        {"a chain of links into another folder",
         false,
         [&] {
             mkdir(Path("sub").c_str(), 0755);
             Write("sub/real", "old");
             symlink("sub/step", Path("out").c_str());
             symlink("real", Path("sub/step").c_str());
         },
         FileCode::OK,
         0,
         {{"sub/real", "file new"}}},
        {"a dangling link",
         false,
         [&] { symlink("made", Path("out").c_str()); },
         FileCode::OK,
         0,
         {{"made", "file new"}}},
        {"a folder",
         false,
         [&] {
             mkdir(Path("out").c_str(), 0755);
             Write("out/inside", "old");
         },
         FileCode::IS_FOLDER,
         0,
         {}},
        {"a FIFO", false, [&] { mkfifo(Path("out").c_str(), 0644); }, FileCode::IS_FIFO, 0, {}},
        {"a link to a FIFO",
         false,
         [&] {
             mkfifo(Path("pipe").c_str(), 0644);
             symlink("pipe", Path("out").c_str());
         },
         FileCode::IS_FIFO,
         0,
         {}},
        {"a device node",
         true,
         [&] { mknod(Path("out").c_str(), S_IFCHR | 0666, makedev(1, 3)); },
         FileCode::IS_DEVICE,
         0,
         {}},
        {"a link to a device node",
         true,
         [&] {
             mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3));
             symlink("null", Path("out").c_str());
         },
         FileCode::IS_DEVICE,
         0,
         {}},
        {"a loop of links",
         false,
         [&] {
             symlink("back", Path("out").c_str());
             symlink("out", Path("back").c_str());
         },
         FileCode::CANNOT_FOLLOW,
         ELOOP,
         {}},
        {"a link into a missing folder",
         false,
         [&] { symlink("none/x", Path("out").c_str()); },
         FileCode::CANNOT_CREATE,
         ENOENT,
         {}},
    };
    for (const Row& row : rows) {
        TearDown();
        SetUp();
        if (row.needsRoot && geteuid() != 0) {
            std::printf("skipped \"%s\": only root can make a device node\n", row.name);
            continue;
        }
        row.make();
        std::map<std::string, std::string> expected = Files();
        for (const auto& change : row.changed) expected[change.first] = change.second;
        const FileStatus written = WriteFileAtomically(Path("out"), "new");
        EXPECT_EQ(written.code(), row.code) << row.name << ": " << FileStatusText(written);
        EXPECT_EQ(written.systemError(), row.systemError) << row.name;
        EXPECT_EQ(written.subject(), written.ok() ? "" : Path("out")) << row.name;
        EXPECT_EQ(Files(), expected) << row.name;
        // An append goes where a whole write would, and is refused alike.
        int fd = -1;
        const FileStatus opened = OpenToAppend(Path("out"), fd);
        EXPECT_EQ(opened.code(),
                  row.code == FileCode::CANNOT_CREATE ? FileCode::CANNOT_OPEN : row.code)
            << row.name;
        if (fd >= 0) {
            EXPECT_TRUE(WriteAll(fd, "+"));
            close(fd);
            for (const auto& change : row.changed) expected[change.first] += "+";
        }
        EXPECT_EQ(Files(), expected) << row.name;
    }
}

// A full disk: a small tmpfs, mounted in a private mount namespace of a
// child so that no other process sees it.
TEST_F(TextFileTest, AFullDiskLeavesTheOldFileAndNoTemporary) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can mount a small file system to fill";
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        std::string said;
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mkdir(Path("disk").c_str(), 0755) != 0 ||
            mount("tmpfs", Path("disk").c_str(), "tmpfs", 0, "size=64k") != 0) {
            said = std::string("skip: cannot mount a tmpfs here: ") + std::strerror(errno);
        } else {
            // Through a link from another file system: the new file is made
            // beside the table, where a rename can reach it.
            Write("disk/linked", "old linked\n");
            symlink("disk/linked", Path("link").c_str());
            said = FileStatusText(WriteFileAtomically(Path("link"), "new linked\n"));
            Write("disk/table", "old table\n");
            const std::string big(1 << 20, 'x');
            said += "; " + FileStatusText(WriteFileAtomically(Path("disk/table"), big));
            for (const auto& entry : Files()) said += "; " + entry.first + ": " + entry.second;
        }
        ssize_t ignored = write(pipeFds[1], said.data(), said.size());
        (void)ignored;
        _exit(0);
    }
    close(pipeFds[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (said.rfind("skip: ", 0) == 0) GTEST_SKIP() << said.substr(6);
    EXPECT_EQ(said, "; cannot write " + Path("disk/table") +
                        ": No space left on device; disk: folder; disk/linked: file new linked\n; "
                        "disk/table: file old table\n; link: link disk/linked");
}

TEST_F(TextFileTest, FailureSaysTheStepAndItsErrno) {
    const FileStatus missing = WriteFileAtomically(Path("no/such/file"), "x");
    EXPECT_EQ(missing.code(), FileCode::CANNOT_CREATE);
    EXPECT_EQ(missing.systemError(), ENOENT);
    EXPECT_EQ(FileStatusText(missing), "cannot create a file beside " + Path("no/such/file") +
                                           ": No such file or directory");
    mkfifo(Path("fifo").c_str(), 0644);
    EXPECT_EQ(FileStatusText(WriteFileAtomically(Path("fifo"), "x")),
              Path("fifo") + " is a FIFO, not a file");
}

}  // namespace

}  // namespace pitchwise
