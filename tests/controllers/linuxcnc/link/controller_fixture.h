// The controller against the fake shell, in a folder of its own for each
// test: the machine's INI, its lock file, the table and the log.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fake_rsh_link.h"
#include "linuxcnc_controller.h"
#include "test_files.h"

namespace pitchwise {

// Every case runs against both shells: LinuxCNC 2.9's and the rewritten one.
class ControllerTest : public ::testing::TestWithParam<RshPersonality> {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/linuxcnc-controller-test.XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        WriteIni("");
        m_config.iniFile = m_folder + "/machine.ini";
        m_config.lockFile = m_folder + "/linuxcnc.lock";
        ResetMachine();
        m_config.compFile[0] = m_folder + "/comp_x.dat";
        m_config.logFile = m_folder + "/tarvex.log";
        m_config.maxCorrection = 0.05;
    }
    void TearDown() override {
        for (const char* name :
             {"machine.ini", "machine.ini.expanded", "other.ini", "axes.inc", "comp_x.dat",
              "comp_x.dat.bak", "comp_y.dat", "comp_y2.dat", "tarvex.log", "linuxcnc.lock",
              "comp_x-runs.csv", "comp_x-report.txt", "comp_y-runs.csv", "comp_y-report.txt",
              "comp_y2-runs.csv", "comp_y2-report.txt", "comp_x-refined.dat"}) {
            std::remove((m_folder + "/" + name).c_str());
        }
        rmdir(m_folder.c_str());
    }
    void ResetMachine() {
        m_machine = FakeMachine();
        m_machine.iniFile = m_folder + "/machine.ini";
        m_machine.personality = GetParam();
        // 2.9's answers arrive a few bytes at a time, so every line end is
        // split somewhere; the rewritten shell's arrive whole, several at once.
        m_machine.chunkBytes = GetParam() == RshPersonality::LINUXCNC_2_9 ? 3 : 0;
    }
    bool Rewritten() const { return GetParam() == RshPersonality::REWRITTEN; }
    // A three-axis millimetre mill; `extra` goes on in [JOINT_0].
    void WriteIni(const std::string& extra) {
        WriteFile("machine.ini",
                  "[TRAJ]\nCOORDINATES = X Y Z\nLINEAR_UNITS = mm\n"
                  "[KINS]\nKINEMATICS = trivkins\nJOINTS = 3\n"
                  "[JOINT_0]\nMIN_LIMIT = -10\nMAX_LIMIT = 100\n" +
                      extra);
    }
    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream(m_folder + "/" + name) << text;
    }
    // LinuxCNC starts: every file written so far is what it runs.
    void StartLinuxCnc() { Touch("linuxcnc.lock", 0); }
    // Sets a file's time `offset` seconds from now.
    void Touch(const std::string& name, int offset) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::app).close();
        timespec times[2];
        clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec += offset;
        times[1] = times[0];
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
    void WriteComp(const std::string& text) { std::ofstream(m_folder + "/comp_x.dat") << text; }
    std::string Comp() {
        std::string text;
        ReadFileForTest(m_folder + "/comp_x.dat", text);
        return text;
    }
    std::unique_ptr<CLinuxCncController> Make() {
        StartLinuxCnc();
        auto controller = std::make_unique<CLinuxCncController>(
            m_config, std::make_unique<CFakeRshLink>(m_machine));
        EXPECT_TRUE(controller->Init());
        return controller;
    }
    // Sends each line, waiting out the motion as Pitchwise does; returns the
    // index of the first refused line, or -1.
    int Send(CLinuxCncController& c, const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!c.Line(lines[i].c_str())) return static_cast<int>(i);
            for (int polls = 0; c.InMotion(); ++polls) {
                if (polls > 1000) return static_cast<int>(i);
            }
        }
        return -1;
    }
    // One run as Pitchwise makes it: Tvx_Init first.
    int SendRun(CLinuxCncController& c, const std::vector<std::string>& lines) {
        return c.Init() ? Send(c, lines) : 0;
    }
    std::string Log() {
        std::string text;
        ReadFileForTest(m_config.logFile, text);
        return text;
    }

    std::string m_folder;
    LinuxCncConfig m_config;
    FakeMachine m_machine;
};

}  // namespace pitchwise
