// The simulated device's ports: pseudo-terminals published as COM<n> links,
// and the few things the device does to their lines.
#pragma once

#include <cstddef>
#include <string>

namespace pitchwise {

struct SimPty {
    int master = -1;
    int slave = -1;  // held open so the line stays up between the program's opens
    std::string link;
};

// A raw pty whose slave side `link` names; false when any step fails.
bool OpenSimPty(const std::string& link, SimPty& pty);
void CloseSimPty(SimPty& pty);

void SetNonBlocking(int fd);
// Everything that has arrived, without waiting.
std::string ReadAvailable(int fd);
// Writes as much of `bytes` as the line takes; how much that was.
std::size_t WriteAvailable(int fd, const std::string& bytes);
// Bytes waiting to be read on the program's side.
int PendingInput(int slave);
// Waits until `added` more than `before` bytes are readable on the
// program's side (see the .cpp for why).
void WaitUntilReadable(int slave, int before, std::size_t added);
// True while an opener holds the program's side exclusively.
bool HeldExclusively(int slave);
// Stops or resumes the program's side taking bytes from any writer.
bool StallLine(int slave, bool stall);

}  // namespace pitchwise
