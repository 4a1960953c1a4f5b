#include "controller_models.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace pitchwise {

namespace {

struct Point {
    double position;
    double up;
    double down;
};

// Linear between points, the end values held beyond them.
double Lookup(const std::vector<Point>& table, double at, bool up) {
    auto value = [up](const Point& p) { return up ? p.up : p.down; };
    if (at <= table.front().position) return value(table.front());
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (at <= table[i].position) {
            const Point& a = table[i - 1];
            const Point& b = table[i];
            double f = (at - a.position) / (b.position - a.position);
            return value(a) + f * (value(b) - value(a));
        }
    }
    return value(table.back());
}

std::string Before(const std::string& text, char c) {
    return text.substr(0, text.find(c));
}

}  // namespace

bool LinuxCncRule(const std::string& text, bool offsets, ControllerRule& rule, std::string& why) {
    // Three numbers a line, until the first line that is not; type 0's
    // actual positions become nominal - actual, type 1's trims stand.
    auto table = std::make_shared<std::vector<Point>>();
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        double nominal = 0, forward = 0, reverse = 0;
        char rest = 0;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %c", &nominal, &forward, &reverse, &rest) != 3)
            break;
        if (!table->empty() && nominal <= table->back().position) {
            why = "nominals not ascending";
            return false;
        }
        table->push_back(offsets ? Point{nominal, forward, reverse}
                                 : Point{nominal, nominal - forward, nominal - reverse});
    }
    if (table->size() < 2 || table->size() > 256) {
        why = "not 2 to 256 lines";
        return false;
    }
    rule = [table](double commanded, Direction d) {
        return Lookup(*table, commanded, d == Direction::UP);
    };
    return true;
}

bool SiemensLecRule(const std::string& text, double mmPerUnit, double mmPerBasic,
                    ControllerRule& rule, std::string& why) {
    std::map<std::string, double> values;  // "$AA_ENC_COMP[0,3,X1]" -> value
    double backlash = 0;                   // MD32450, as the operator enters it from the comment
    std::istringstream lines(text);
    std::string line;
    bool first = true;
    while (std::getline(lines, line)) {
        if (first && line != "%_N_AX_EEC_INI") {
            why = "no %_N_AX_EEC_INI first";
            return false;
        }
        first = false;
        const std::string enter = "MD32450 $MA_BACKLASH: enter ";
        std::size_t at = line.find(enter);
        if (line.rfind(";", 0) == 0 && at != std::string::npos)
            backlash = std::atof(line.c_str() + at + enter.size());
        std::size_t equals = line.find('=');
        if (line.rfind("$AA_ENC_COMP", 0) == 0 && equals != std::string::npos)
            values[line.substr(0, equals)] = std::atof(line.c_str() + equals + 1);
    }
    // Points equally spaced from MIN at STEP, in mm, up to MAX.
    std::string key;
    for (const auto& entry : values)
        if (entry.first.rfind("$AA_ENC_COMP_STEP[", 0) == 0) key = entry.first.substr(17);
    if (key.empty() || values.count("$AA_ENC_COMP_MIN" + key) == 0 ||
        values.count("$AA_ENC_COMP_MAX" + key) == 0) {
        why = "no STEP, MIN or MAX";
        return false;
    }
    const std::string e = Before(key.substr(1), ',');
    const std::string axis = key.substr(key.find(',') + 1);
    const double step = values["$AA_ENC_COMP_STEP" + key];
    const double min = values["$AA_ENC_COMP_MIN" + key];
    const double max = values["$AA_ENC_COMP_MAX" + key];
    auto table = std::make_shared<std::vector<Point>>();
    for (int n = 0;; ++n) {
        auto found = values.find("$AA_ENC_COMP[" + e + "," + std::to_string(n) + "," + axis);
        if (found == values.end()) break;
        table->push_back({min + n * step, found->second, found->second});
    }
    if (table->size() < 2 || std::abs(table->back().position - max) > 1e-6) {
        why = "points do not reach MAX";
        return false;
    }
    // Every length in the basic system. A positive value moves the axis
    // negative; MD32450, positive for the ordinary lost motion (the encoder
    // leading the machine part), is taken up half each way about the
    // table's mean.
    const double scale = mmPerBasic / mmPerUnit;
    rule = [table, scale, backlash](double commanded, Direction d) {
        double value = Lookup(*table, commanded / scale, true);
        double half = (d == Direction::UP ? 0.5 : -0.5) * backlash;
        return (-value + half) * scale;
    };
    return true;
}

bool IsgRule(const std::string& text, double mmPerUnit, ControllerRule& rule, std::string& why) {
    std::map<std::string, long long> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string key;
        long long value = 0;
        if (!(fields >> key >> value)) {
            why = "not a key and a whole number: " + line;
            return false;
        }
        values[key] = value;
    }
    // The axis number is kopf.achs_nr (P-COMP-00001); 0 is not allowed.
    if (values.count("kopf.achs_nr") == 0 || values["kopf.achs_nr"] < 1) {
        why = "no kopf.achs_nr";
        return false;
    }
    if (values["kw.ssfk.unit"] != 1 || values["kw.ssfk.interval"] <= 0) {
        why = "not metric or not equally spaced";
        return false;
    }
    const bool bilateral = values["kw.ssfk.bilateral"] == 1;
    const long long count = values["kw.ssfk.kw_nr_max"];
    if (count < 2 || count >= 1500) {
        why = "kw_nr_max out of range";
        return false;
    }
    // Lengths in 0.1 µm; entries are actual - target, taken off the command.
    auto table = std::make_shared<std::vector<Point>>();
    for (long long i = 0; i < count; ++i) {
        const std::string key = "kw.ssfk.table[" + std::to_string(i) + "]";
        if (values.count(key + ".pos") == 0 || (bilateral && values.count(key + ".neg") == 0)) {
            why = "entry " + std::to_string(i) + " missing";
            return false;
        }
        double pos = values[key + ".pos"] * 1e-4;
        double neg = bilateral ? values[key + ".neg"] * 1e-4 : pos;
        double position = (values["kw.ssfk.kw_startpos"] + i * values["kw.ssfk.interval"]) * 1e-4;
        table->push_back({position, pos, neg});
    }
    rule = [table, mmPerUnit](double commanded, Direction d) {
        return -Lookup(*table, commanded * mmPerUnit, d == Direction::UP) / mmPerUnit;
    };
    return true;
}

}  // namespace pitchwise
