// Several files put in place all or nothing, each step failed in turn
// through the seam: after a failure every file is as it was, byte for
// byte, unless putting one back failed too, and then its state says so.
#include "apply_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace pitchwise {

namespace fs = std::filesystem;

namespace {

enum class Step { NONE, PREPARE, REPLACE, REPLACE_AFTER_RENAME };

// The disk's steps, but the chosen one fails (with the file left alone,
// or, after the rename, with only the folder's sync failed).
class CFailingSteps : public CDiskSteps {
  public:
    CFailingSteps(Step step, std::size_t index, int putBackFails)
        : m_step(step), m_index(index), m_putBackFails(putBackFails) {}
    FileStatus Prepare(std::size_t i, const FileChange& change) override {
        if (m_step == Step::PREPARE && i == m_index)
            return FileStatus(FileCode::CANNOT_WRITE, {}, change.path, ENOSPC);
        return CDiskSteps::Prepare(i, change);
    }
    FileStatus Replace(std::size_t i, std::string& backup) override {
        if (m_step == Step::REPLACE && i == m_index)
            return FileStatus(FileCode::CANNOT_REPLACE, {}, "replaced", EACCES);
        const FileStatus done = CDiskSteps::Replace(i, backup);
        if (m_step == Step::REPLACE_AFTER_RENAME && i == m_index && done.ok())
            return FileStatus(FileCode::CANNOT_SYNC_FOLDER, {}, "synced", EIO);
        return done;
    }
    FileStatus PutBack(std::size_t i, const std::string& backup) override {
        if (static_cast<int>(i) == m_putBackFails)
            return FileStatus(FileCode::CANNOT_PUT_BACK, {}, "back", EIO);
        return CDiskSteps::PutBack(i, backup);
    }

  private:
    Step m_step;
    std::size_t m_index;
    int m_putBackFails;
};

// Every file under the folder and its bytes; a time-stamped backup shows
// as "NAME.bak".
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bak") == 0)
            name = name.substr(0, name.find('.', name.find('.') + 1)) + ".bak";
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[name] = bytes.str();
    }
    return files;
}

TEST(ApplyFilesTest, EachStepFailedInTurnLeavesEveryFileAsItWas) {
    using S = FileState;
    const std::map<std::string, std::string> old = {{"m.ini", "[JOINT_0]\r\nA = 1"},
                                                    {"j.inc", "[JOINT_1]\nB = 2\n"}};
    const std::map<std::string, std::string> replaced = {
        {"new.dat", "0 0 0\n"},          {"m.ini", "[JOINT_0]\r\nA = 0"},
        {"j.inc", "[JOINT_1]\nB = 0\n"}, {"m.ini.bak", old.at("m.ini")},
        {"j.inc.bak", old.at("j.inc")},
    };
    std::map<std::string, std::string> halfBack = old;  // m.ini could not be put back
    halfBack["m.ini"] = replaced.at("m.ini");
    halfBack["m.ini.bak"] = old.at("m.ini");
    struct Row {
        const char* name;
        Step step;
        std::size_t index;
        int putBackFails;  // -1: none
        ApplyCode code;
        std::vector<FileState> states;  // new.dat (a new table), m.ini, j.inc
        std::map<std::string, std::string> after;
    };
    const std::vector<Row> rows = {
        {"all done",
         Step::NONE,
         0,
         -1,
         ApplyCode::OK,
         {S::REPLACED, S::REPLACED, S::REPLACED},
         replaced},
        {"the table not written",
         Step::PREPARE,
         0,
         -1,
         ApplyCode::NOT_PREPARED,
         {S::UNCHANGED, S::UNCHANGED, S::UNCHANGED},
         old},
        {"the INI not written",
         Step::PREPARE,
         1,
         -1,
         ApplyCode::NOT_PREPARED,
         {S::UNCHANGED, S::UNCHANGED, S::UNCHANGED},
         old},
        {"the include not written",
         Step::PREPARE,
         2,
         -1,
         ApplyCode::NOT_PREPARED,
         {S::UNCHANGED, S::UNCHANGED, S::UNCHANGED},
         old},
        {"the table not installed",
         Step::REPLACE,
         0,
         -1,
         ApplyCode::PUT_BACK,
         {S::UNCHANGED, S::UNCHANGED, S::UNCHANGED},
         old},
        {"the INI not replaced: the new table removed",
         Step::REPLACE,
         1,
         -1,
         ApplyCode::PUT_BACK,
         {S::PUT_BACK, S::UNCHANGED, S::UNCHANGED},
         old},
        {"the include not replaced: table and INI put back",
         Step::REPLACE,
         2,
         -1,
         ApplyCode::PUT_BACK,
         {S::PUT_BACK, S::PUT_BACK, S::UNCHANGED},
         old},
        {"the include in place but its folder not synced: all put back",
         Step::REPLACE_AFTER_RENAME,
         2,
         -1,
         ApplyCode::PUT_BACK,
         {S::PUT_BACK, S::PUT_BACK, S::PUT_BACK},
         old},
        {"the include not replaced and the INI not put back",
         Step::REPLACE,
         2,
         1,
         ApplyCode::NOT_ALL_PUT_BACK,
         {S::PUT_BACK, S::NOT_PUT_BACK, S::UNCHANGED},
         halfBack},
    };
    for (const Row& row : rows) {
        char made[] = "/tmp/apply-files-test.XXXXXX";
        ASSERT_NE(mkdtemp(made), nullptr);
        const fs::path folder = made;
        for (const auto& file : old)
            std::ofstream(folder / file.first, std::ios::binary) << file.second;
        std::vector<FileChange> changes;
        for (const char* name : {"new.dat", "m.ini", "j.inc"})
            changes.push_back(FileChange{(folder / name).string(), replaced.at(name), "", {}});
        CFailingSteps steps(row.step, row.index, row.putBackFails);
        const ApplyStatus status = ApplyFileChanges(changes, steps);
        EXPECT_EQ(status.code(), row.code) << row.name;
        EXPECT_EQ(status.number(0), status.ok() ? 0 : row.index) << row.name;
        std::vector<FileState> states;
        for (const FileChange& change : changes) states.push_back(change.state);
        EXPECT_EQ(states, row.states) << row.name;
        EXPECT_EQ(Snapshot(folder), row.after) << row.name;
        fs::remove_all(folder);
    }
}

}  // namespace

}  // namespace pitchwise
