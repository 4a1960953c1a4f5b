#include "run_recorder.h"

#include <cmath>
#include <cstring>
#include <utility>

#include "com_port.h"
#include "fake_tarvex_events.h"
#include "qsb.h"

namespace pitchwise {

namespace {

CRunRecorder* theRecorder = nullptr;

std::string WithoutTerminator(std::string command) {
    if (command.size() >= 2 && command.compare(command.size() - 2, 2, "!\n") == 0) {
        command.resize(command.size() - 2);
    }
    return command;
}

}  // namespace

// The fake library finds this through the executable's exported symbols.
extern "C" __attribute__((visibility("default"))) void FakeTvxEvent(const FakeTvxCall* call) {
    if (theRecorder != nullptr) {
        theRecorder->Record(call->entry, call->line, call->result, call->initCount);
    }
}

std::int64_t CountsFor(double position) {
    return std::llround(position * static_cast<double>(QSB_COUNTS_PER_UNIT));
}

CRunRecorder::CRunRecorder() {
    m_qsb.Plug(1);
    m_qsb.ExportPortDir();
    m_qsb.SetObserver([this](const QsbSimTraffic& traffic) {
        if (traffic.direction == QsbSimTraffic::RECEIVED) {
            m_clock.Note("qsb " + WithoutTerminator(traffic.bytes));
        }
    });
    // The device answers while the program pauses, as a real one would.
    m_clock.SetHook([this](unsigned) { m_qsb.Pump(); });
    thePort.Open(1, 230400, 8, COM_NOPARITY, COM_ONESTOPBIT);
    theRecorder = this;
}

CRunRecorder::~CRunRecorder() {
    theRecorder = nullptr;
    thePort.Close();
    m_qsb.SetObserver(nullptr);
}

void CRunRecorder::SetCountsAtPoints(std::vector<std::int64_t> counts) {
    m_counts = std::move(counts);
}

void CRunRecorder::FailReadingAt(int point, ReadFault fault) {
    m_faultPoint = point;
    m_fault = fault;
}

int CRunRecorder::CallsOf(const std::string& entry) const {
    int n = 0;
    for (const std::string& call : m_calls) n += call == entry ? 1 : 0;
    return n;
}

void CRunRecorder::Record(const char* entry, const char* line, int result, int initCount) {
    m_calls.push_back(entry);
    m_libraryInitCount = initCount;
    std::string name = entry;
    if (name == "Tvx_GCodeLine") {
        m_lines.push_back(line);
        m_clock.Note(std::string(result ? "line " : "refused ") + line);
        // Each "G4D1" announces the next reading: set what the QSB will show.
        if (result && std::strcmp(line, "G4D1") == 0) {
            int point = m_point++;
            m_qsb.SetCounts(point < static_cast<int>(m_counts.size()) ? m_counts[point] : 0);
            if (point == m_faultPoint) {
                switch (m_fault) {
                    case ReadFault::GARBLED:
                        m_qsb.QueueCounterReply("R0E0 0000G734\r\n");
                        break;
                    case ReadFault::SHORT_REPLY:
                        m_qsb.QueueCounterReply("R0E0 000027\r\n");
                        break;
                    case ReadFault::UNPLUGGED:
                        m_qsb.Unplug();
                        break;
                    case ReadFault::NONE:
                        break;
                }
            }
        }
    } else if (name == "Tvx_InMotion") {
        m_clock.Note("poll " + std::to_string(result));
    } else {
        m_clock.Note(name + " " + std::to_string(result));
    }
}

}  // namespace pitchwise
