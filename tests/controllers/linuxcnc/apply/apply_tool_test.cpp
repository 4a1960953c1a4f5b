// The program on copies of LinuxCNC's own sample configurations and on
// small INIs of our own: what it changes, what it keeps, what it refuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace pitchwise {

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Every file under `folder` and its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = Read(entry.path());
    }
    return files;
}

// Lines with their ends, so a changed end shows as a changed line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, end - at));
        at = end;
    }
    return lines;
}

// The lines `after` has beyond the longest common subsequence with
// `before` (added), and those of `before` it lacks (removed).
void LineChanges(const std::string& before, const std::string& after,
                 std::vector<std::string>& removed, std::vector<std::string>& added) {
    const std::vector<std::string> a = Lines(before);
    const std::vector<std::string> b = Lines(after);
    std::vector<std::vector<int>> common(a.size() + 1, std::vector<int>(b.size() + 1, 0));
    for (std::size_t i = a.size(); i-- > 0;)
        for (std::size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (j < b.size() && (i == a.size() || common[i][j + 1] >= common[i + 1][j])) {
            added.push_back(b[j++]);
        } else {
            removed.push_back(a[i++]);
        }
    }
}

class ApplyToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/apply-tool-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        // No owner's configuration may name a table for these runs.
        setenv("TARVEX_LINUXCNC_CONFIG", (m_folder / "none.conf").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    int Run(const std::string& arguments, std::string& output) {
        const std::string command =
            "cd '" + m_folder.string() + "' && '" APPLY_PROGRAM "' " + arguments + " 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return -1;
        char buffer[4096];
        output.clear();
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path m_folder;
};

const char* const kTable = "0.000000 0.000000 0.010000\n5.000000 5.001000 5.011000\n";

struct SampleRow {
    const char* sample;  // under the sample configurations' folder
    const char* ini;     // in the copy
    const char* axis;
    // per file edited: the lines added; nothing may be removed
    std::map<std::string, std::vector<std::string>> added;
};

TEST_F(ApplyToolTest, OnLinuxCncsSampleConfigurationsOnlyTheTablesKeysChange) {
    if (!fs::exists(SAMPLE_CONFIGS "/sim/axis/axis_mm.ini"))
        GTEST_SKIP() << "LinuxCNC's sample configurations are not installed (linuxcnc-uspace)";
    const std::string table = (m_folder / "comp.dat").string();
    const std::string fileLine = "COMP_FILE = " + table + "\n";
    const std::vector<SampleRow> rows = {
        {"sim/axis/axis_mm.ini",
         "axis_mm.ini",
         "X",
         {{"axis_mm.ini", {fileLine, "COMP_FILE_TYPE = 0\n"}}}},
        {"sim/axis/gantry",
         "gantry/gantry_mm.ini",
         "Y",
         {{"gantry/gantry_mm.ini",
           {fileLine, "COMP_FILE_TYPE = 0\n", fileLine, "COMP_FILE_TYPE = 0\n"}}}},
        // The keys of [JOINT_0] live in an included file: they change there.
        {"sim/axis/ini_with_includes",
         "ini_with_includes/includes_demo.ini",
         "X",
         {{"ini_with_includes/joint_0.inc", {fileLine, "COMP_FILE_TYPE = 0\n"}}}},
    };
    for (const SampleRow& row : rows) {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        const fs::path source = fs::path(SAMPLE_CONFIGS) / row.sample;
        const fs::path copy = m_folder / fs::path(row.sample).filename();
        fs::copy(source, copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        Write(table, kTable);
        const auto before = Snapshot(m_folder);
        std::string output;
        ASSERT_EQ(Run(std::string("--ini ") + row.ini + " --axis " + row.axis + " --table comp.dat",
                      output),
                  0)
            << row.sample << ":\n"
            << output;
        EXPECT_NE(output.find("restart LinuxCNC to use it"), std::string::npos) << output;
        const auto after = Snapshot(m_folder);
        for (const auto& [name, bytes] : before) {
            ASSERT_TRUE(after.count(name)) << name;
            std::vector<std::string> removed;
            std::vector<std::string> added;
            LineChanges(bytes, after.at(name), removed, added);
            const auto expected = row.added.find(name);
            EXPECT_EQ(added,
                      expected == row.added.end() ? std::vector<std::string>{} : expected->second)
                << row.sample << ": " << name;
            EXPECT_TRUE(removed.empty()) << row.sample << ": " << name;
            // Each file edited is kept as it was, under a time-stamped name.
            int backups = 0;
            for (const auto& [other, otherBytes] : after) {
                if (other.rfind(name + ".", 0) == 0 && other.size() > 4 &&
                    other.compare(other.size() - 4, 4, ".bak") == 0) {
                    ++backups;
                    EXPECT_EQ(otherBytes, bytes) << other;
                }
            }
            EXPECT_EQ(backups, expected == row.added.end() ? 0 : 1) << row.sample << ": " << name;
        }
    }
}

const char* const kMachine =
    "[KINS]\nKINEMATICS = trivkins coordinates=xyy\n[TRAJ]\nCOORDINATES = X Y Y\n"
    "LINEAR_UNITS = mm\n[AXIS_X]\nMAX_VELOCITY = 1\n[AXIS_Y]\nMAX_VELOCITY = 1\n"
    "[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 100\nMAX_VELOCITY = 2\nBACKLASH = 0.01\n"
    "[JOINT_1]\nMIN_LIMIT = 0\nMAX_LIMIT = 100\nMAX_VELOCITY = 2\nCOMP_FILE = a.dat\n"
    "[JOINT_2]\nMIN_LIMIT = 0\nMAX_LIMIT = 100\nMAX_VELOCITY = 2\nCOMP_FILE = b.dat\n";

struct RefusalRow {
    const char* name;
    const char* arguments;
    int status;
    const char* said;
};

TEST_F(ApplyToolTest, RefusalsAndTheDryRunWriteNothing) {
    Write(m_folder / "m.ini", kMachine);
    Write(m_folder / "t.dat", kTable);
    Write(m_folder / "bad.dat", "# header\n0 0 0\n");
    const std::vector<RefusalRow> rows = {
        {"an INI it cannot read", "--ini missing.ini --axis X --table t.dat", 1,
         "cannot read the INI file"},
        {"a gantry naming two tables", "--ini m.ini --axis Y --table t.dat", 1,
         "which name different tables"},
        {"a table LinuxCNC would read wrongly", "--ini m.ini --axis X --table bad.dat", 1,
         "LinuxCNC stops reading there"},
        {"a table it cannot read", "--ini m.ini --axis X --table none.dat", 1,
         "none.dat: No such file or directory; nothing written"},
        {"no table named anywhere", "--ini m.ini --axis X", 1, "name the table with --table"},
        {"dry run", "--ini m.ini --axis X --table t.dat --dry-run", 0,
         "+BACKLASH = 0\n@@ after line 14 @@\n+COMP_FILE = "},
        {"an axis it has no joints for", "--ini m.ini --axis Q", 2,
         "--axis takes X, Y or Z, not Q"},
        {"an unknown option", "--ini m.ini --axis X --force", 2, "unknown option --force"},
        {"an option without its value", "--ini m.ini --axis", 2, "--axis needs a value"},
        {"no INI", "--axis X --table t.dat", 2, "--ini is missing"},
        {"help", "--ini m.ini --help", 0, "  --dry-run       print the changes"},
    };
    const auto before = Snapshot(m_folder);
    for (const RefusalRow& row : rows) {
        std::string output;
        EXPECT_EQ(Run(row.arguments, output), row.status) << row.name << ":\n" << output;
        EXPECT_NE(output.find(row.said), std::string::npos) << row.name << ":\n" << output;
        EXPECT_EQ(Snapshot(m_folder), before) << row.name;
    }
}

TEST_F(ApplyToolTest, InstallsTheNewerRefinedCandidateOverTheTableAndKeepsTheOldOne) {
    Write(m_folder / "m.ini",
          "[KINS]\nKINEMATICS = trivkins\n[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n"
          "[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 100\nCOMP_FILE = comp.dat\nCOMP_FILE_TYPE = 0\n");
    const std::string old = "0.000000 0.000000 0.010000\n5.000000 5.002000 5.012000\n";
    Write(m_folder / "comp.dat", old);
    Write(m_folder / "comp-refined.dat", kTable);
    struct TimeRow {
        const char* name;
        long candidateSeconds;  // the candidate's time; the table's is 1000
        const char* installed;  // what the table holds afterwards
    };
    const std::vector<TimeRow> rows = {
        {"a candidate older than the table is stale", 999,
         "0.000000 0.000000 0.010000\n5.000000 5.002000"},
        {"a newer candidate is installed", 1001, kTable},
    };
    for (const TimeRow& row : rows) {
        const timespec tableTime[2] = {{1000, 0}, {1000, 0}};
        const timespec candidateTime[2] = {{row.candidateSeconds, 0}, {row.candidateSeconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, (m_folder / "comp.dat").c_str(), tableTime, 0), 0);
        ASSERT_EQ(utimensat(AT_FDCWD, (m_folder / "comp-refined.dat").c_str(), candidateTime, 0),
                  0);
        std::string output;
        ASSERT_EQ(Run("--ini m.ini --axis X", output), 0) << row.name << ":\n" << output;
        EXPECT_EQ(Read(m_folder / "comp.dat").rfind(row.installed, 0), 0u) << row.name << ":\n"
                                                                           << output;
    }
    // The INI changed only where COMP_FILE became absolute; the table
    // replaced is kept under a time-stamped name.
    int tableBackups = 0;
    for (const auto& [name, bytes] : Snapshot(m_folder)) {
        if (name.rfind("comp.dat.", 0) == 0 && bytes == old) ++tableBackups;
    }
    EXPECT_EQ(tableBackups, 1);
    EXPECT_NE(
        Read(m_folder / "m.ini")
            .find("COMP_FILE = " + (m_folder / "comp.dat").string() + "\nCOMP_FILE_TYPE = 0\n"),
        std::string::npos);
}

// The INI and the table are what their names lead to: a link is followed
// and kept, and a table's place that is not a file refuses the whole
// change before anything is written.
TEST_F(ApplyToolTest, FollowsALinkedIniAndRefusesATablePlaceThatIsNotAFile) {
    const std::string machine =
        "[KINS]\nKINEMATICS = trivkins\n[TRAJ]\nCOORDINATES = X\nLINEAR_UNITS = mm\n"
        "[AXIS_X]\nMAX_VELOCITY = 1\n[JOINT_0]\nMIN_LIMIT = 0\nMAX_LIMIT = 100\n"
        "MAX_VELOCITY = 2\n";
    struct Row {
        const char* name;
        const char* tableKey;  // added to the joint
        int status;
        const char* said;
    };
    const std::vector<Row> rows = {
        {"a linked INI is edited where it leads", "", 0, "restart LinuxCNC"},
        {"the table's place is a folder", "COMP_FILE = place\n", 1,
         "place is a folder, not a file"},
        {"the table's place is a FIFO", "COMP_FILE = place\n", 1, "place is a FIFO, not a file"},
    };
    for (const Row& row : rows) {
        fs::remove_all(m_folder / "conf");
        fs::remove(m_folder / "m.ini");
        fs::remove(m_folder / "place");
        fs::create_directory(m_folder / "conf");
        Write(m_folder / "conf/real.ini", machine + row.tableKey);
        fs::create_symlink("conf/real.ini", m_folder / "m.ini");
        Write(m_folder / "t.dat", kTable);
        if (std::string(row.said).find("folder") != std::string::npos)
            fs::create_directory(m_folder / "place");
        else if (std::string(row.said).find("FIFO") != std::string::npos)
            mkfifo((m_folder / "place").c_str(), 0644);
        const auto before = Snapshot(m_folder);
        std::string output;
        EXPECT_EQ(Run("--ini m.ini --axis X --table t.dat", output), row.status)
            << row.name << ":\n"
            << output;
        EXPECT_NE(output.find(row.said), std::string::npos) << row.name << ":\n" << output;
        EXPECT_TRUE(fs::is_symlink(m_folder / "m.ini")) << row.name;
        if (row.status != 0) {
            EXPECT_EQ(Snapshot(m_folder), before) << row.name;
            continue;
        }
        // The file LinuxCNC reads changed, and its backup lies beside it.
        EXPECT_NE(Read(m_folder / "conf/real.ini").find("COMP_FILE = "), std::string::npos);
        int backups = 0;
        for (const auto& [name, bytes] : Snapshot(m_folder))
            backups += name.rfind("conf/real.ini.", 0) == 0 && bytes == machine;
        EXPECT_EQ(backups, 1) << row.name;
    }
}

}  // namespace

}  // namespace pitchwise
