#include "apply_plan.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "machine_ini.h"

namespace pitchwise {

namespace {

// LinuxCNC's own default where a velocity or acceleration is left out.
constexpr double LINUXCNC_DEFAULT_RATE = 1.0;
// The step generator needs this much more than the joint's acceleration
// once backlash is compensated, which a two-column table does.
constexpr double STEPGEN_HEADROOM = 1.5;

// A number the INI gives, or nothing for a missing or unreadable value.
bool Number(const CIniFile& ini, const std::string& section, const std::string& key,
            double& value) {
    std::string text;
    if (!ini.Find(section, key, text) || text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

double NumberOr(const CIniFile& ini, const std::string& section, const std::string& key,
                double fallback) {
    double value = fallback;
    return Number(ini, section, key, value) ? value : fallback;
}

std::string Format(const char* format, double a, double b = 0.0, double c = 0.0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// The key set to `value` where it stands, or added at the end of the section.
void SetKey(const CIniFile& ini, const std::string& section, const std::string& key,
            const std::string& value, std::vector<IniEdit>& edits) {
    IniPlace place;
    IniEdit edit;
    edit.key = key;
    edit.value = value;
    if (ini.FindPlace(section, key, place)) {
        edit.file = place.file;
        edit.line = place.line;
        edit.lines = place.lines;
    } else {
        ini.SectionEndPlace(section, place);
        edit.file = place.file;
        edit.line = place.line + place.lines - 1;
        edit.lines = 0;
    }
    edits.push_back(edit);
}

void Warn(const CIniFile& ini, char axis, const std::string& section, double slope,
          std::vector<std::string>& warnings) {
    double stepgen = 0.0;
    const double acceleration = NumberOr(ini, section, "MAX_ACCELERATION", LINUXCNC_DEFAULT_RATE);
    if (Number(ini, section, "STEPGEN_MAXACCEL", stepgen) &&
        stepgen < STEPGEN_HEADROOM * acceleration) {
        warnings.push_back("[" + section + "]STEPGEN_MAXACCEL = " + Format("%g", stepgen) +
                           " is less than 1.5 x MAX_ACCELERATION = " +
                           Format("%g (%g)", STEPGEN_HEADROOM * acceleration, acceleration) +
                           ": with backlash compensated the step generator needs 1.5 to 2 "
                           "times the joint's acceleration");
    }
    const std::string axisSection = std::string("AXIS_") + axis;
    const double axisVelocity = NumberOr(ini, axisSection, "MAX_VELOCITY", LINUXCNC_DEFAULT_RATE);
    const double jointVelocity = NumberOr(ini, section, "MAX_VELOCITY", LINUXCNC_DEFAULT_RATE);
    const double asked = axisVelocity * (1.0 + slope);
    if (asked > jointVelocity * (1.0 + 1e-12)) {
        warnings.push_back("[" + section + "]MAX_VELOCITY = " + Format("%g", jointVelocity) +
                           " is less than the " + Format("%.6g", asked) + " the table asks at [" +
                           axisSection + "]MAX_VELOCITY = " + Format("%g", axisVelocity) +
                           ": its largest slope " + Format("%.6g", slope) +
                           " adds slope x speed to the joint's speed");
    }
}

}  // namespace

double LargestCorrectionSlope(const std::vector<CompPoint>& table) {
    double largest = 0.0;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const CompPoint& a = table[i - 1];
        const CompPoint& b = table[i];
        const double spacing = b.nominal - a.nominal;
        if (!(spacing > 0.0)) continue;
        for (double change : {(b.positive - b.nominal) - (a.positive - a.nominal),
                              (b.negative - b.nominal) - (a.negative - a.nominal)})
            largest = std::max(largest, std::fabs(change) / spacing);
    }
    return largest;
}

PlanStatus PlanApply(const CIniFile& ini, const ApplyRequest& request, ApplyPlan& plan) {
    plan = ApplyPlan();
    AxisIni axis;
    std::string why;
    if (!DescribeAxis(ini, request.iniFolder, request.axis, axis, why))
        return PlanStatus(PlanCode::AXIS_NOT_READ, {}, why);
    if (!CheckCompTableText(request.tableText, why))
        return PlanStatus(PlanCode::TABLE_MISREAD, {}, why);
    const std::vector<CompPoint> table = ParseCompTable(request.tableText);
    if (table.empty()) return PlanStatus(PlanCode::TABLE_EMPTY, {}, request.tablePath);
    // One table for a gantry's joints: a correction on one side only would
    // rack it. Which of two named tables is meant is the owner's choice.
    int naming = -1;  // the first joint that names a table
    for (const JointIni& joint : axis.joints) {
        if (joint.compFile.empty()) continue;
        if (naming >= 0 && joint.compFile != plan.installPath) {
            const std::string first = plan.installPath;
            plan = ApplyPlan();
            plan.installPath = first;
            return PlanStatus(PlanCode::TABLES_DIFFER,
                              {static_cast<double>(naming), static_cast<double>(joint.joint)},
                              joint.compFile);
        }
        if (naming < 0) naming = joint.joint;
        plan.installPath = joint.compFile;
    }
    if (plan.installPath.empty()) plan.installPath = request.tablePath;
    const double slope = LargestCorrectionSlope(table);
    for (const JointIni& joint : axis.joints) {
        plan.joints.push_back(joint.joint);
        const std::string section = "JOINT_" + std::to_string(joint.joint);
        std::string value;
        if (!ini.Find(section, "COMP_FILE", value) || value != plan.installPath)
            SetKey(ini, section, "COMP_FILE", plan.installPath, plan.edits);
        if (!ini.Find(section, "COMP_FILE_TYPE", value) || joint.compFileType != 0)
            SetKey(ini, section, "COMP_FILE_TYPE", "0", plan.edits);
        if (joint.backlash != 0.0) SetKey(ini, section, "BACKLASH", "0", plan.edits);
        Warn(ini, request.axis, section, slope, plan.warnings);
    }
    return PlanStatus::Ok();
}

}  // namespace pitchwise
