// A linuxcncrsh stand-in with two personalities: LinuxCNC 2.9's shell and
// the rewritten one of LinuxCNC's development line. It records every
// request and answers the commands the library uses as that shell would,
// byte for byte (line endings, NUL padding, note lines, late ACKs), from a
// scripted machine that keeps its own simulated clock.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "rsh_link.h"

namespace pitchwise {

enum class RshPersonality {
    LINUXCNC_2_9,
    REWRITTEN,  // LinuxCNC's development line
};

struct FakeMachine {
    RshPersonality personality = RshPersonality::LINUXCNC_2_9;
    bool reachable = true;
    bool helloAccepted = true;
    bool machineOn = true;
    bool homed = true;
    bool mdiAccepted = true;             // in MDI mode, MDI lines are taken
    std::string mode = "MANUAL";         // "set mode" changes it
    bool modeAccepted = true;            // "set mode" switches it (2.9 acknowledges either way)
    std::string idleStatus = "IDLE";     // program status once a line has run
    int busyPolls = 0;                   // busy replies after each MDI line's motion has ended
    std::string busyStatus = "RUNNING";  // or "PAUSED"
    int feedOverride = 100;
    std::string programCodes = "G80 G17 G40 G21 G90 G94 G54 G49 G99 G64 G97 G91.1 G8 G92.2 F0 S0";
    std::string iniFile;   // what "get inifile" names; empty: "emc.ini" as old servers say
    bool enabled = false;  // the last session to say "set enable" holds control
    int joints = 3;
    std::string iniVersion = "$Revision$";  // [EMC]VERSION, as older sample configurations have it
    double jointPos = 0.0;      // where the joint is (each move's target, from the move's start)
    bool followTargets = true;  // moves reach their targets
    double rapidUnitsPerSecond = 50.0;   // how fast a G0 goes
    bool dropAfterMdi = false;           // the connection breaks after the next MDI line's reply
    bool silentAfterMdi = false;         // nothing is ever answered after the next MDI line
    bool waitModeTakesEffect = true;     // rewritten: "set wait_mode received" works
    bool otherSessionMdiActive = false;  // rewritten: another session's MDI is still running
    std::size_t chunkBytes = 0;          // the most bytes one read returns; 0: all there are

    double now = 0.0;                      // simulated seconds
    double motionEnd = 0.0;                // when the current move or dwell ends
    const void* enabledSession = nullptr;  // LinuxCNC 2.9: the one session that holds enable
    std::vector<std::string> requests;

    // A carriage with play: it follows the joint, lagging by half the
    // backlash behind the direction the joint last moved in.
    double backlash = 0.0;
    int lastDirection = 1;
    double Carriage() const { return jointPos - lastDirection * backlash / 2.0; }
    void MoveJoint(double target);
};

// Each poll of "get program_status" stands for Pitchwise's pause between
// polls: it moves the simulated clock on by this much.
constexpr double FAKE_POLL_SECONDS = 0.1;

class CFakeRshLink : public CRshLink {
  public:
    explicit CFakeRshLink(FakeMachine& machine) : m_machine(machine) {}
    bool Connect(const std::string& host, int port) override;
    bool Send(const std::string& bytes) override;
    RshReceive Receive(std::string& bytes, int timeoutMs) override;
    void Close() override;

  private:
    struct Output {
        double readyAt;
        std::string bytes;
    };
    bool Rewritten() const { return m_machine.personality == RshPersonality::REWRITTEN; }
    void Answer(const std::string& request);
    void AnswerGet(const std::string& what);
    void AnswerSet(const std::string& what, const std::string& word);
    void AnswerMdi(const std::string& code);
    // Queues one line; `setReply` picks 2.9's "\n\r" ending for SET answers.
    void Say(const std::string& line, double at, bool setReply = false);
    void SetVerdict(const std::string& word, bool ack, double at, const std::string& error = "");

    FakeMachine& m_machine;
    bool m_open = false;
    bool m_broken = false;  // sends fail; what was queued can still be read
    bool m_silent = false;
    bool m_echo = true;
    bool m_verbose = false;
    bool m_enabled = false;  // rewritten: every session has its own enable
    bool m_ackOnReceipt = false;
    int m_busyLeft = 0;
    std::string m_received;
    std::deque<Output> m_out;
};

}  // namespace pitchwise
