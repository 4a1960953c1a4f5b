#include "fault_bench.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "com_port.h"
#include "qsb.h"
#include "resource.h"

namespace pitchwise {

namespace {

CFaultBench* theBench = nullptr;

}  // namespace

// The controller library finds this through the executable's exported symbols.
extern "C" __attribute__((visibility("default"))) int FaultTvxCall(const char* entry,
                                                                   const char* line) {
    return theBench != nullptr ? theBench->Answer(entry, line) : 0;
}

CFaultBench::CFaultBench() {
    m_qsb.ExportPortDir();
    // The device answers while the program pauses, as a real one would.
    m_clock.SetHook([this](unsigned) { m_qsb.Pump(); });
    // The QSB stands where the commanded travel takes it, so every correction
    // of an undisturbed run is 0.0000.
    m_qsb.SetCounts(0);
    theBench = this;
}

CFaultBench::~CFaultBench() {
    theBench = nullptr;
    thePort.Close();
}

void CFaultBench::Create() {
    m_lines.clear();
    m_calls.clear();
    m_dialog.OnCreate();
}

int CFaultBench::CallsOf(const std::string& entry) const {
    return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), entry));
}

void CFaultBench::AtLine(const std::string& line, int n, std::function<void()> action) {
    m_triggers.push_back({line, n, std::move(action)});
}

int CFaultBench::Answer(const char* entry, const char* line) {
    const std::string name = entry;
    m_calls.push_back(name);
    if (name == "Tvx_Init") return m_initResult;
    if (name == "Tvx_InMotion") return 0;
    if (name != "Tvx_GCodeLine") return 1;

    m_lines.push_back(line);
    // The axis arrives where it was sent: the QSB reads the travel since the
    // last zeroing, which the run takes at the start.
    float target = 0;
    if (std::sscanf(line, "G1X%f", &target) == 1) {
        m_qsb.SetCounts(CountsAt(target));
    } else if (std::sscanf(line, "G0X%f", &target) == 1) {
        m_qsb.SetCounts(0);
    }
    const long seen = std::count(m_lines.begin(), m_lines.end(), m_lines.back());
    // Each trigger fires once, so the next Create runs undisturbed.
    for (auto it = m_triggers.begin(); it != m_triggers.end();) {
        if (it->line == line && it->n == seen) {
            std::function<void()> action = std::move(it->action);
            it = m_triggers.erase(it);
            action();
        } else {
            ++it;
        }
    }
    return m_refuse && m_refuse(line) ? 0 : 1;
}

std::int64_t CountsAt(float travel) {
    return std::llround(static_cast<double>(travel) * static_cast<double>(QSB_COUNTS_PER_UNIT));
}

std::vector<std::string> DefaultRunLines(int end) {
    std::vector<std::string> lines = {"L600", "L602XX", "G0X0.0000"};
    for (int i = 0; i <= end; ++i) {
        lines.push_back("G4D1");
        lines.push_back(EntryLine(i));
        if (i < end) lines.push_back("G1X" + std::to_string(i + 1) + ".0000");
    }
    lines.push_back("L601");
    return lines;
}

std::string EntryLine(int point) {
    if (point == 0) return "L606 N0 V0";
    // What the QSB measures is the nearest whole count to the travel.
    const float travel = static_cast<float>(point);
    const float measured = static_cast<float>(CountsAt(travel)) / QSB_COUNTS_PER_UNIT;
    char line[64];
    std::snprintf(line, sizeof line, "L606 N%d V%.4f", point,
                  static_cast<double>(travel - measured));
    return line;
}

std::vector<std::string> LinesUpTo(const std::vector<std::string>& lines, const std::string& last) {
    auto found = std::find(lines.begin(), lines.end(), last);
    return std::vector<std::string>(lines.begin(), found == lines.end() ? found : found + 1);
}

}  // namespace pitchwise
