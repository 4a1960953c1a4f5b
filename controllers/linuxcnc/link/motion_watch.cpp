#include "motion_watch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "status_reader.h"
#include "tarvex_log.h"
#include "text.h"

namespace pitchwise {

namespace {

// Polls at Pitchwise's 100 ms: five seconds idle yet out of position means
// the move was cut short (a limit, an abort), not that it is still settling.
constexpr int IDLE_POLLS_MAX = 50;
// About five seconds of a program running or paused: long enough for any
// step, so the owner learns why the run waits (and the run waits on).
constexpr int BUSY_POLLS_NOTICE = 50;

double RapidSeconds(const RunSetup& setup, double target) {
    // Where the axis stands is not asked; it is within the limits, so the
    // farther limit bounds the move.
    const double farthest =
        std::max(std::fabs(target - setup.axis.minLimit), std::fabs(target - setup.axis.maxLimit));
    return MoveSeconds(farthest, setup.rates.velocityUnitsPerSecond,
                       setup.rates.accelerationUnitsPerSecond2);
}

}  // namespace

bool CMotionWatch::Mdi(const std::string& code, double motionSeconds) {
    RshReply answer;
    if (!m_session.Request("set mdi " + code, answer, motionSeconds) || !answer.acked) return false;
    m_state.idlePolls = 0;
    m_state.busyPolls = 0;
    m_state.busyReported = false;
    return true;
}

bool CMotionWatch::MoveTo(RunState& run, double position, bool rapid) {
    const RunSetup& setup = run.setup;
    const char axis = setup.axis.axis;
    std::string code;
    double seconds;
    if (rapid) {
        code = Format("G53 G0 %c%.6f", axis, position);
        seconds = RapidSeconds(setup, position);
    } else {
        code = Format("G53 G1 %c%.6f F%.3f", axis, position, setup.config.feed);
        const double velocity = std::min(setup.config.feed / 60.0,  // feed is per minute
                                         setup.rates.velocityUnitsPerSecond);
        seconds =
            MoveSeconds(position - run.target, velocity, setup.rates.accelerationUnitsPerSecond2);
    }
    if (!Mdi(code, seconds)) return false;
    run.target = position;
    m_state.motion = Motion::MOVE;
    return true;
}

bool CMotionWatch::Approach(RunState& run, double via) {
    if (!MoveTo(run, via, true)) return false;
    m_state.pendingStart = true;
    return true;
}

bool CMotionWatch::Dwell(double seconds) {
    if (!Mdi(Format("G4 P%.3f", seconds), seconds)) return false;
    m_state.motion = Motion::DWELL;
    return true;
}

// Ends the wait; a fault refuses every later line of the run.
bool CMotionWatch::EndMotion(bool faulted) {
    m_state.motion = Motion::NONE;
    if (faulted) m_state.faulted = true;
    return false;
}

bool CMotionWatch::InMotion(RunState& run) {
    if (m_state.motion == Motion::NONE) return false;
    const MachineStatus status =
        ReadMachineStatus(m_session, STATUS_STATE, JointsOf(run.setup.axis));
    if (!status.stateRead) {
        LogMessage("lost linuxcncrsh while waiting for motion");
        return EndMotion(true);
    }
    // Off or out of MDI mode, LinuxCNC drops the move or dwell at once and
    // the machine may then be jogged: what follows must not be measured.
    if (status.machine != "MACHINE ON" || status.mode != "MODE MDI") {
        LogMessage("the machine went off or left MDI mode during the run (\"" + status.machine +
                   "\", \"" + status.mode + "\")");
        return EndMotion(true);
    }
    if (status.programStatus != "PROGRAM_STATUS IDLE") {
        if (++m_state.busyPolls == BUSY_POLLS_NOTICE && !m_state.busyReported) {
            m_state.busyReported = true;
            std::string feed;
            GetFromShell(m_session, "feed_override", feed);
            const bool stopped = std::strtod(LastWord(feed).c_str(), nullptr) == 0.0;
            LogMessage("still waiting for LinuxCNC after 5 s (\"" + status.programStatus + "\"): " +
                       (status.programStatus == "PROGRAM_STATUS PAUSED" ? "it is paused; resume it"
                        : stopped ? "the feed override is at 0 %"
                                  : "the move is slow or held up"));
        }
        return true;
    }
    if (m_state.motion == Motion::DWELL) return EndMotion(false);
    // The first joint stands for the axis: a gantry's second joint is
    // checked before its entry is taken.
    double position = 0.0;
    std::string reply;
    const int joint = run.setup.axis.joints.front().joint;
    if (GetFromShell(m_session, "joint_pos " + std::to_string(joint), reply)) {
        position = std::strtod(LastWord(reply).c_str(), nullptr);
        if (std::fabs(position - run.target) <= run.setup.config.inPositionTolerance) {
            if (!m_state.pendingStart) return EndMotion(false);
            m_state.pendingStart = false;
            if (MoveTo(run, run.start, true)) return true;
            LogMessage("LinuxCNC refused the move to the start");
            return EndMotion(true);
        }
    }
    if (++m_state.idlePolls < IDLE_POLLS_MAX) return true;
    std::string error;
    GetFromShell(m_session, "error", error);
    LogMessage(Format("the move stopped at %.6f, not at the target %.6f: ", position, run.target) +
               error);
    return EndMotion(true);
}

}  // namespace pitchwise
