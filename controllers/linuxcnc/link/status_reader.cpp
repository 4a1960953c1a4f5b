#include "status_reader.h"

#include <cstdlib>

#include "text.h"

namespace pitchwise {

bool GetFromShell(CRshSession& session, const std::string& what, std::string& reply) {
    RshReply answer;
    if (!session.Request("get " + what, answer)) return false;
    reply = answer.answer;
    return !answer.refused;
}

std::vector<int> JointsOf(const AxisIni& axis) {
    std::vector<int> joints;
    for (const JointIni& joint : axis.joints) joints.push_back(joint.joint);
    return joints;
}

MachineStatus ReadMachineStatus(CRshSession& session, unsigned parts,
                                const std::vector<int>& joints) {
    MachineStatus status;
    if (parts & STATUS_STATE) {
        const bool machine = GetFromShell(session, "machine", status.machine);
        const bool mode = GetFromShell(session, "mode", status.mode);
        const bool program = GetFromShell(session, "program_status", status.programStatus);
        status.stateRead = machine && mode && program;
    }
    if (parts & STATUS_CODES)
        status.codesRead = GetFromShell(session, "program_codes", status.codes);
    for (int joint : joints) {
        JointStatus state;
        state.joint = joint;
        std::string reply;
        if ((parts & STATUS_POSITIONS) &&
            GetFromShell(session, "joint_pos " + std::to_string(joint), reply)) {
            state.positionRead = true;
            state.position = std::strtod(LastWord(reply).c_str(), nullptr);
        }
        // Last, so a shell's "error:" for a joint it lacks is the one said.
        if ((parts & STATUS_HOMED) &&
            GetFromShell(session, "joint_homed " + std::to_string(joint), reply)) {
            bool homed = false;
            state.homed = ParseJointHomed(reply, joint, homed) && homed;
        }
        status.joints.push_back(state);
    }
    return status;
}

}  // namespace pitchwise
