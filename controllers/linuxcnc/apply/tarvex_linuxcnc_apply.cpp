// tarvex-linuxcnc-apply: puts a compensation table in force in a LinuxCNC
// INI for every joint of one axis, editing nothing but the keys it needs.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "apply_files.h"
#include "apply_plan.h"
#include "linuxcnc_config.h"
#include "machine_ini.h"
#include "refined_table.h"
#include "text_file.h"

namespace pitchwise {

namespace {

const char* const kUsageLine =
    "usage: tarvex-linuxcnc-apply --ini FILE --axis X|Y|Z [--table FILE] [--dry-run]\n";

const char* const kHelp =
    "\n"
    "Sets COMP_FILE (absolute), COMP_FILE_TYPE = 0 and BACKLASH = 0 in every joint\n"
    "of the axis, in the file that holds each key (#INCLUDE followed), installs the\n"
    "table where COMP_FILE points and keeps time-stamped backups of what it\n"
    "replaces.\n"
    "\n"
    "  --ini FILE      the INI LinuxCNC runs the machine with\n"
    "  --axis X|Y|Z    the axis whose joints get the table\n"
    "  --table FILE    the table to put in force; default: the refined candidate\n"
    "                  (<table>-refined.dat) when it is newer than the table the\n"
    "                  INI or the library's configuration names, else that table\n"
    "  --dry-run       print the changes and write nothing\n"
    "  -h, --help      print this help and exit\n"
    "\n"
    "Every file is written whole beside the one it replaces before the first is\n"
    "replaced; when a replacement fails, those already replaced are put back.\n"
    "\n"
    "Exits 0 when done, 1 when refused (nothing written), 2 on a usage error,\n"
    "3 when a replacement failed and a file could not be put back (each file's\n"
    "state is said).\n";

struct Arguments {
    std::string ini;
    char axis = 0;
    std::string table;
    bool dryRun = false;
};

enum class Parsed { RUN, HELP, USAGE_ERROR };

// A usage error is named in `why`, so the operator sees which word was wrong.
Parsed ParseArguments(int argc, char** argv, Arguments& arguments, std::string& why) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "-h" || argument == "--help") return Parsed::HELP;
        if (argument == "--dry-run") {
            arguments.dryRun = true;
        } else if (argument != "--ini" && argument != "--table" && argument != "--axis") {
            why = "unknown option " + argument;
            return Parsed::USAGE_ERROR;
        } else if (!hasValue) {
            why = argument + " needs a value";
            return Parsed::USAGE_ERROR;
        } else if (argument == "--ini") {
            arguments.ini = argv[++i];
        } else if (argument == "--table") {
            arguments.table = argv[++i];
        } else if (std::strlen(argv[i + 1]) == 1 &&
                   std::strchr("XYZxyz", argv[i + 1][0]) != nullptr) {
            arguments.axis = static_cast<char>(argv[++i][0] & ~0x20);
        } else {
            why = std::string("--axis takes X, Y or Z, not ") + argv[i + 1];
            return Parsed::USAGE_ERROR;
        }
    }
    if (arguments.ini.empty() || arguments.axis == 0) {
        why = arguments.ini.empty() ? "--ini is missing" : "--axis is missing";
        return Parsed::USAGE_ERROR;
    }
    return Parsed::RUN;
}

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char here[PATH_MAX];
    return getcwd(here, sizeof here) != nullptr ? std::string(here) + "/" + path : path;
}

bool Exists(const std::string& path, timespec* modified = nullptr) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    if (modified != nullptr) *modified = info.st_mtim;
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat one {};
    struct stat other {};
    if (stat(a.c_str(), &one) != 0 || stat(b.c_str(), &other) != 0) return a == b;
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

bool Newer(const timespec& a, const timespec& b) {
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// The table named by the INI's first joint of the axis, else by the
// library's configuration; its refined candidate when that is newer.
bool DefaultTable(const CIniFile& ini, const std::string& iniFolder, char axis, std::string& table,
                  std::string& why) {
    AxisIni described;
    if (!DescribeAxis(ini, iniFolder, axis, described, why)) return false;
    std::string named = described.joints.front().compFile;
    if (named.empty()) {
        LinuxCncConfig config;
        std::string path;
        std::string error;
        if (LoadConfig(config, path, error)) named = config.compFile[AxisIndex(axis)];
    }
    if (named.empty()) {
        why = std::string("the INI names no COMP_FILE for ") + axis +
              " and the library's configuration no comp_file_" + static_cast<char>(axis | 0x20) +
              ": name the table with --table";
        return false;
    }
    const std::string candidate = RefinedCandidatePath(named);
    timespec tableTime{};
    timespec candidateTime{};
    const bool hasTable = Exists(named, &tableTime);
    table = Exists(candidate, &candidateTime) && (!hasTable || Newer(candidateTime, tableTime))
                ? candidate
                : named;
    return true;
}

std::string PlanRefusalText(const PlanStatus& status, const ApplyRequest& request,
                            const ApplyPlan& plan) {
    switch (status.code()) {
        case PlanCode::OK:
            break;
        case PlanCode::AXIS_NOT_READ:
            return status.subject();
        case PlanCode::TABLE_MISREAD:
            return request.tablePath + ": " + status.subject();
        case PlanCode::TABLE_EMPTY:
            return request.tablePath + " holds no point";
        case PlanCode::TABLES_DIFFER:
            return std::string(1, request.axis) + " is driven by joints " +
                   std::to_string(static_cast<int>(status.number(0))) + " and " +
                   std::to_string(static_cast<int>(status.number(1))) +
                   ", which name different tables (" + plan.installPath + ", " + status.subject() +
                   "): name one in both";
    }
    return std::string();
}

const char* StateText(FileState state) {
    switch (state) {
        case FileState::UNCHANGED:
            return "unchanged";
        case FileState::REPLACED:
            return "replaced";
        case FileState::PUT_BACK:
            return "put back as it was";
        case FileState::NOT_PUT_BACK:
            return "NOT put back";
    }
    return "";
}

// What became of every file after a failed replacement.
int SayFailure(const ApplyStatus& status, const std::vector<FileChange>& changes) {
    std::fprintf(stderr, "tarvex-linuxcnc-apply: %s\n", FileStatusText(FailedStep(status)).c_str());
    for (const FileChange& change : changes) {
        std::fprintf(stderr, "  %s: %s", change.path.c_str(), StateText(change.state));
        if (change.state == FileState::NOT_PUT_BACK && !change.backup.empty())
            std::fprintf(stderr, " (the previous one is in %s)", change.backup.c_str());
        std::fputc('\n', stderr);
    }
    if (status.code() == ApplyCode::PUT_BACK) {
        std::fputs("tarvex-linuxcnc-apply: refused: nothing changed\n", stderr);
        return 1;
    }
    std::fputs(
        "tarvex-linuxcnc-apply: the files above are left half changed: put them right "
        "by hand\n",
        stderr);
    return 3;
}

// With the system's reason, a missing file's too.
std::string ReadRefusal(const char* what, const std::string& path, const std::string& error) {
    const std::size_t reason = error.rfind(": ");
    return std::string("cannot read ") + what + " " + path + ": " +
           (error.empty() || reason == std::string::npos ? std::strerror(ENOENT)
                                                         : error.substr(reason + 2));
}

int Refuse(const std::string& why) {
    std::fprintf(stderr, "tarvex-linuxcnc-apply: refused: %s; nothing written\n", why.c_str());
    return 1;
}

}  // namespace

}  // namespace pitchwise

using namespace pitchwise;

int main(int argc, char** argv) {
    Arguments arguments;
    std::string usageError;
    switch (ParseArguments(argc, argv, arguments, usageError)) {
        case Parsed::HELP:
            std::fputs(kUsageLine, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        case Parsed::USAGE_ERROR:
            std::fprintf(stderr, "tarvex-linuxcnc-apply: %s\n", usageError.c_str());
            std::fputs(kUsageLine, stderr);
            std::fputs("(tarvex-linuxcnc-apply --help says more)\n", stderr);
            return 2;
        case Parsed::RUN:
            break;
    }
    const std::string iniPath = Absolute(arguments.ini);
    const std::string iniFolder = iniPath.substr(0, iniPath.find_last_of('/'));
    CIniFile ini;
    std::vector<std::string> skipped;
    std::string why;
    if (!ini.Load(iniPath, skipped, why)) return Refuse(why);
    for (const std::string& line : skipped) std::printf("warning: %s\n", line.c_str());

    ApplyRequest request;
    request.axis = arguments.axis;
    request.iniFolder = iniFolder;
    if (!arguments.table.empty())
        request.tablePath = Absolute(arguments.table);
    else if (!DefaultTable(ini, iniFolder, arguments.axis, request.tablePath, why))
        return Refuse(why);
    std::string error;
    if (ReadTextFile(request.tablePath, request.tableText, error) != FileRead::READ)
        return Refuse(ReadRefusal("the table", request.tablePath, error));
    ApplyPlan plan;
    const PlanStatus planned = PlanApply(ini, request, plan);
    if (!planned) return Refuse(PlanRefusalText(planned, request, plan));

    std::vector<std::string> texts;
    for (const std::string& file : ini.Files()) {
        std::string text;
        if (ReadTextFile(file, text, error) != FileRead::READ)
            return Refuse(ReadRefusal("the INI file", file, error));
        texts.push_back(text);
    }
    const IniEditResult edited = EditIniTexts(texts, plan.edits);
    std::string joints;
    for (int joint : plan.joints) joints += (joints.empty() ? "" : " and ") + std::to_string(joint);
    std::printf("axis %c (joint %s): table %s\n", arguments.axis, joints.c_str(),
                request.tablePath.c_str());
    const bool install = !SameFile(plan.installPath, request.tablePath);
    if (install) std::printf("install it as %s\n", plan.installPath.c_str());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (edited.diffs[i].empty()) continue;
        std::printf("--- %s\n+++ %s\n%s", ini.Files()[i].c_str(), ini.Files()[i].c_str(),
                    edited.diffs[i].c_str());
    }
    for (const std::string& warning : plan.warnings) std::printf("warning: %s\n", warning.c_str());
    if (arguments.dryRun) {
        std::puts("dry run: nothing written");
        return 0;
    }
    // The table first: an INI never names a table that is not there.
    std::vector<FileChange> changes;
    if (install) changes.push_back(FileChange{plan.installPath, request.tableText, "", {}});
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (edited.texts[i] != texts[i])
            changes.push_back(FileChange{ini.Files()[i], edited.texts[i], "", {}});
    }
    CDiskSteps disk;
    const ApplyStatus applied = ApplyFileChanges(changes, disk);
    if (applied.code() == ApplyCode::NOT_PREPARED)
        return Refuse(FileStatusText(FailedStep(applied)));
    if (!applied) return SayFailure(applied, changes);
    for (const FileChange& change : changes) {
        if (!change.backup.empty())
            std::printf("kept %s as %s\n", change.path.c_str(), change.backup.c_str());
    }
    const bool changed = !changes.empty();
    if (!changed) {
        std::puts("nothing to change: the INI already uses the table");
        return 0;
    }
    std::puts("restart LinuxCNC to use it");
    return 0;
}
