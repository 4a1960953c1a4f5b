// What putting a compensation table in force takes in a LinuxCNC INI, as
// a plan made without touching a file: the keys to change in each joint of
// the axis, where the table goes, what to warn of, or why not to.
#pragma once

#include <string>
#include <vector>

#include "comp_table.h"
#include "ini_edit.h"
#include "ini_file.h"
#include "status.h"

namespace pitchwise {

struct ApplyRequest {
    char axis = 'X';
    std::string iniFolder;  // absolute: LinuxCNC resolves COMP_FILE from it
    std::string tablePath;  // absolute: the table to put in force
    std::string tableText;
};

enum class PlanCode {
    OK = 0,
    AXIS_NOT_READ,  // subject: why the INI does not give the axis
    TABLE_MISREAD,  // subject: where and how LinuxCNC would misread the table
    TABLE_EMPTY,    // subject: the table's path
    TABLES_DIFFER,  // numbers: the two joints; subject: the second one's table
};

using PlanStatus = Status<PlanCode>;

struct ApplyPlan {
    std::string installPath;  // every joint's COMP_FILE (on TABLES_DIFFER: the first's)
    std::vector<int> joints;
    std::vector<IniEdit> edits;  // files indexed as ini.Files()
    std::vector<std::string> warnings;
};

// In every joint of the axis: COMP_FILE the absolute install path,
// COMP_FILE_TYPE 0, BACKLASH 0 where it is set to something else (LinuxCNC
// ignores it once a table is loaded, and the library refuses to map while
// it is set). The install path is the one the joints already name, else
// the table's own. Refused, with no edit, when LinuxCNC would read the
// table wrongly, the joints of a gantry name different tables, or the INI
// does not give the axis through kinematics the library knows.
PlanStatus PlanApply(const CIniFile& ini, const ApplyRequest& request, ApplyPlan& plan);

// The largest change of correction per unit of travel between neighbouring
// points, over both columns: at speed v the correction asks the joint for
// up to v times this on top.
double LargestCorrectionSlope(const std::vector<CompPoint>& table);

}  // namespace pitchwise
