#include "fake_rsh_link.h"

#include <cctype>
#include <cstdlib>

namespace {

bool StartsWith(const std::string& text, const std::string& head) {
    return text.compare(0, head.size(), head) == 0;
}

// The position of the axis word in "G53 G0 X12.5" or "G53 G1 X12.5 F300".
bool MoveTarget(const std::string& code, double& target) {
    std::size_t axis = code.find_first_of("XYZ");
    if (axis == std::string::npos) return false;
    target = std::strtod(code.c_str() + axis + 1, nullptr);
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

void FakeMachine::MoveJoint(double target) {
    if (target > jointPos) lastDirection = 1;
    if (target < jointPos) lastDirection = -1;
    jointPos = target;
}

bool CFakeRshLink::Connect(const std::string&, int) {
    m_open = m_machine.reachable;
    return m_open;
}

bool CFakeRshLink::Exchange(const std::string& request, std::string& reply) {
    if (!m_open) return false;
    m_machine.requests.push_back(request);
    if (StartsWith(request, "hello")) {
        reply = m_machine.helloAccepted ? "HELLO ACK EMCNETSVR 1.1" : "HELLO NAK";
    } else if (request == "set echo off") {
        reply = request;
    } else if (request == "get machine") {
        reply = m_machine.machineOn ? "MACHINE ON" : "MACHINE OFF";
    } else if (request == "get mode") {
        reply = "MODE " + m_machine.mode;
    } else if (request == "get inifile") {
        reply = "INIFILE " + (m_machine.iniFile.empty() ? "emc.ini" : m_machine.iniFile);
    } else if (request == "get program_codes") {
        reply = "PROGRAM_CODES " + m_machine.programCodes;
    } else if (request == "get feed_override") {
        reply = "FEED_OVERRIDE " + std::to_string(m_machine.feedOverride);
    } else if (StartsWith(request, "get joint_homed ")) {
        reply = "JOINT_HOMED " + request.substr(16) + (m_machine.homed ? " YES" : " NO");
    } else if (request == "get program_status") {
        reply = "PROGRAM_STATUS " + (m_busyLeft > 0 ? m_machine.busyStatus : m_machine.idleStatus);
        if (m_busyLeft > 0) --m_busyLeft;
    } else if (StartsWith(request, "get joint_pos ")) {
        reply = "JOINT_POS " + request.substr(14) + " " + std::to_string(m_machine.jointPos);
    } else if (request == "get error") {
        reply = "ERROR OK";
    } else if (StartsWith(request, "set mdi ")) {
        std::string code = request.substr(8);
        double target;
        const bool accepted = m_machine.mdiAccepted && m_machine.mode == "MDI";
        if (accepted && m_machine.followTargets && StartsWith(code, "G53") &&
            MoveTarget(code, target)) {
            m_machine.MoveJoint(target);
        }
        if (accepted) m_busyLeft = m_machine.busyPolls;
        reply = accepted ? "SET MDI ACK" : "SET MDI NAK";
        if (m_machine.dropAfterMdi) m_open = false;
    } else if (StartsWith(request, "set mode ")) {
        // LinuxCNC acknowledges a switch it then does not make (a paused program).
        if (m_machine.modeAccepted) m_machine.mode = Upper(request.substr(9));
        reply = "SET MODE ACK";
    } else if (StartsWith(request, "set enable ")) {
        m_machine.enabled = request != "set enable off";
        reply = "SET ENABLE ACK";
    } else if (StartsWith(request, "set ")) {
        std::size_t space = request.find(' ', 4);
        std::string word =
            request.substr(4, space == std::string::npos ? std::string::npos : space - 4);
        reply = "SET " + Upper(word) + " ACK";
    } else {
        reply = "GET NAK";
    }
    return true;
}
