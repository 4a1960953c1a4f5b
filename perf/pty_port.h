// Real ptys standing in for COM ports, for benchmarks of the port code.
#pragma once

#include <string>

// One pty. The benchmark holds the master side; the program under test opens
// the slave through a COM<n> link. A slave descriptor is kept open here as
// well, so the master never sees a hang-up while the program has the port
// closed, and the line stays raw between the program's opens.
class CPtyPort {
  public:
    CPtyPort();
    ~CPtyPort();
    CPtyPort(const CPtyPort&) = delete;
    CPtyPort& operator=(const CPtyPort&) = delete;

    bool IsValid() const { return m_master >= 0 && m_slave >= 0; }
    int Master() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

// A temporary directory of COM<n> links, named by $PITCHWISE_PORT_DIR while
// it exists. An empty one means no port can be opened.
class CPortDirectory {
  public:
    CPortDirectory();
    ~CPortDirectory();
    CPortDirectory(const CPortDirectory&) = delete;
    CPortDirectory& operator=(const CPortDirectory&) = delete;

    bool Link(int port, const std::string& device);
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};
