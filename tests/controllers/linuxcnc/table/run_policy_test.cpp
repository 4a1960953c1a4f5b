#include "run_policy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pitchwise {

namespace {

MachineStatus Standing(std::vector<double> positions) {
    MachineStatus status;
    status.machine = "MACHINE ON";
    status.mode = "MODE MDI";
    status.programStatus = "PROGRAM_STATUS IDLE";
    status.stateRead = true;
    for (std::size_t j = 0; j < positions.size(); ++j) {
        JointStatus joint;
        joint.joint = static_cast<int>(j) + 1;
        joint.positionRead = true;
        joint.position = positions[j];
        status.joints.push_back(joint);
    }
    return status;
}

TEST(RunPolicyTest, InPositionNeedsEveryJointOfTheAxis) {
    const struct Row {
        const char* name;
        MachineStatus status;
        Refusal refusal;
    } rows[] = {
        {"both joints at the point", Standing({5.0, 5.0005}), Refusal::NONE},
        {"a gantry's second joint behind", Standing({5.0, 5.002}), Refusal::NOT_IN_POSITION},
        {"no joint position",
         [] {
             MachineStatus status = Standing({5.0});
             status.joints[0].positionRead = false;
             return status;
         }(),
         Refusal::NOT_IN_POSITION},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(CheckInPosition(row.status, 5.0, 0.001).code(), row.refusal);
    }
}

TEST(RunPolicyTest, ReadyAndModesFromTheStatusAlone) {
    const struct Row {
        const char* machine;
        const char* mode;
        const char* program;
        Refusal refusal;
    } rows[] = {
        {"MACHINE ON", "MODE MDI", "PROGRAM_STATUS IDLE", Refusal::NONE},
        {"MACHINE OFF", "MODE MDI", "PROGRAM_STATUS IDLE", Refusal::MACHINE_OFF},
        {"", "", "", Refusal::MACHINE_OFF},  // the shell gave no answer
        {"MACHINE ON", "MODE MANUAL", "PROGRAM_STATUS IDLE", Refusal::NOT_IN_MDI},
        {"MACHINE ON", "MODE MDI", "PROGRAM_STATUS RUNNING", Refusal::NOT_IDLE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.machine) + row.mode + row.program);
        MachineStatus status;
        status.machine = row.machine;
        status.mode = row.mode;
        status.programStatus = row.program;
        EXPECT_EQ(CheckReady(status).code(), row.refusal);
    }
    MachineStatus unread;
    EXPECT_EQ(CheckModes(unread, 1.0).code(), Refusal::MODES_DIFFER);
    MachineStatus inch;
    inch.codesRead = true;
    inch.codes = "G20 G90 G94 G8";
    EXPECT_EQ(CheckModes(inch, 25.4).code(), Refusal::NONE);
    EXPECT_EQ(CheckModes(inch, 1.0).code(), Refusal::MODES_DIFFER);
}

TEST(RunPolicyTest, EntryValues) {
    RunState run;
    run.mapping = true;
    run.setup.config.maxCorrection = 0.05;
    run.setup.config.maxChangeRatio = 1.0 / 64.0;
    run.moves = 2;
    run.approach = 1;
    run.direction = 1;
    run.target = 1.28;
    run.entries = {MapEntry{0.0, 0.0}};
    const struct Row {
        int index;
        double correction;
        Refusal refusal;
    } rows[] = {
        {1, 0.02, Refusal::NONE},
        {1, -0.02, Refusal::NONE},
        {1, 0.0201, Refusal::CHANGE_TOO_STEEP},  // 1.28 / 64 = 0.02
        {1, 0.06, Refusal::CORRECTION_TOO_LARGE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.correction);
        EXPECT_EQ(CheckEntryPlace(run, row.index).code(), Refusal::NONE);
        EXPECT_EQ(CheckEntryValue(run, row.index, row.correction).code(), row.refusal);
    }
    EXPECT_EQ(CheckEntryPlace(run, 0).code(), Refusal::ENTRY_OUT_OF_ORDER);
}

}  // namespace

}  // namespace pitchwise
