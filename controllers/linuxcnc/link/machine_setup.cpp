#include "machine_setup.h"

#include <sys/stat.h>

#include "text.h"
#include "text_file.h"

namespace pitchwise {

namespace {

bool ModifiedAfter(const std::string& path, const timespec& start) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return false;
    return info.st_mtim.tv_sec > start.tv_sec ||
           (info.st_mtim.tv_sec == start.tv_sec && info.st_mtim.tv_nsec > start.tv_nsec);
}

// "comp_x.dat" gives "comp_x-runs.csv" beside it.
std::string Beside(const std::string& path, const std::string& suffix) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? path.substr(0, dot) : path) + suffix;
}

}  // namespace

Verdict ReadMachineSetup(const LinuxCncConfig& config, const std::string& running, char axis,
                         RunSetup& setup) {
    std::string iniPath = config.iniFile;
    if (!running.empty()) {
        // With #INCLUDE lines LinuxCNC runs the expanded copy of the INI.
        const std::string expandedOf =
            EndsWith(running, ".expanded") ? running.substr(0, running.size() - 9) : running;
        if (!config.iniFile.empty() && config.iniFile != running && config.iniFile != expandedOf) {
            return Refuse(
                Refusal::OTHER_INI_RUNNING,
                "LinuxCNC runs " + running + ", not the configured ini " + config.iniFile);
        }
        iniPath = running;
    }
    if (iniPath.empty()) {
        return Refuse(Refusal::NO_INI,
                      "LinuxCNC does not name its INI file and the configuration names none (ini)");
    }
    std::string why;
    CIniFile ini;
    if (!ini.Load(iniPath, why)) return Refuse(Refusal::FILE_UNREADABLE, why);
    const std::string folder = iniPath.substr(0, iniPath.find_last_of('/'));
    if (!DescribeAxis(ini, folder, axis, setup.axis, why))
        return Refuse(Refusal::AXIS_NOT_MAPPABLE, why);
    std::vector<int> joints;
    for (const JointIni& joint : setup.axis.joints) joints.push_back(joint.joint);
    setup.rates = ReadMotionRates(ini, axis, joints);
    setup.config = InMachineUnit(config, setup.axis.mmPerUnit);

    struct stat lock {};
    if (stat(config.lockFile.c_str(), &lock) != 0) {
        return Refuse(Refusal::NO_LOCK_FILE,
                      "cannot tell when LinuxCNC started (no " + config.lockFile + ")");
    }
    setup.linuxCncStart = static_cast<double>(lock.st_mtim.tv_sec);
    std::vector<std::string> files = ini.Files();
    for (const JointIni& joint : setup.axis.joints) {
        if (!joint.compFile.empty()) files.push_back(joint.compFile);
    }
    for (const std::string& file : files) {
        if (ModifiedAfter(file, lock.st_mtim)) {
            return Refuse(Refusal::CHANGED_SINCE_START,
                          file +
                              " changed after LinuxCNC started, so LinuxCNC runs something else: "
                              "restart LinuxCNC");
        }
    }
    return Go();
}

Verdict ReadRunFiles(RunSetup& setup) {
    std::string why;
    std::string text;
    const FileRead table = ReadTextFile(setup.compFile, text, why);
    if (table == FileRead::UNREADABLE) return Refuse(Refusal::FILE_UNREADABLE, why);
    if (table == FileRead::READ) {
        // The run's table is built on this one: what LinuxCNC would not read
        // must be mended by its owner first.
        if (!CheckCompTableText(text, why))
            return Refuse(Refusal::TABLE_UNSOUND, setup.compFile + ": " + why);
        setup.oldTable = ParseCompTable(text);
    }
    setup.runLog = Beside(setup.compFile, "-runs.csv");
    setup.report = Beside(setup.compFile, "-report.txt");
    // Found only at "L601", an unreadable log would cost the whole run.
    if (ReadTextFile(setup.runLog, text, why) == FileRead::UNREADABLE)
        return Refuse(Refusal::FILE_UNREADABLE, why);
    return Go();
}

}  // namespace pitchwise
