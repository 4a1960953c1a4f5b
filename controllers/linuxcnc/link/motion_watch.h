// The run's moves and dwells, and the watch over them while Pitchwise
// polls InMotion. The controller starts them and asks; the watch never
// calls back into the controller.
#pragma once

#include <string>

#include "rsh_session.h"
#include "run_state.h"

namespace pitchwise {

class CMotionWatch {
  public:
    explicit CMotionWatch(CRshSession& session) : m_session(session) {}

    void Reset() { m_state = State(); }

    // Sends the move to `position` and makes it the run's target; false
    // when LinuxCNC refused it.
    bool MoveTo(RunState& run, double position, bool rapid);
    // To `via` first; once there, on to the run's start.
    bool Approach(RunState& run, double via);
    bool Dwell(double seconds);

    // One poll: true while the move or dwell goes on.
    bool InMotion(RunState& run);
    bool Moving() const { return m_state.motion != Motion::NONE; }
    // A move ended out of position: the rest of the run is refused.
    bool Faulted() const { return m_state.faulted; }

  private:
    enum class Motion { NONE, MOVE, DWELL };

    // The move or dwell in progress and how long LinuxCNC has been seen
    // idle or busy during it.
    struct State {
        Motion motion = Motion::NONE;
        bool pendingStart = false;  // at the approach point, the start still to go
        int idlePolls = 0;
        int busyPolls = 0;
        bool busyReported = false;
        bool faulted = false;
    };

    // `motionSeconds`: the longest the move or dwell may take, since the
    // shell may hold the ACK until it ends.
    bool Mdi(const std::string& code, double motionSeconds);
    bool EndMotion(bool faulted);

    CRshSession& m_session;
    State m_state;
};

}  // namespace pitchwise
