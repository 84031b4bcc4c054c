#include "session/HomeLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/FileSys.h"
#include "platform/Handlers.h"

THomeLock::THomeLock(const std::string& ExecDir) : FDir(ExecDir) {
  const std::string Name = MapFileName(ExecDir + FileName);
  const int Fd = open(Name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (Fd < 0) {
    // An unwritable program directory cannot hold a lock; the program
    // still starts and its runs will say what cannot be written.
    return;
  }
  if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
    char Buf[32] = {};
    const ssize_t N = pread(Fd, Buf, sizeof Buf - 1, 0);
    if (N > 0) FOwner = std::atoi(Buf);
    close(Fd);
    FRefused = true;
    return;
  }
  const std::string Pid = std::to_string(getpid()) + "\n";
  if (ftruncate(Fd, 0) != 0 || pwrite(Fd, Pid.data(), Pid.size(), 0) != static_cast<ssize_t>(Pid.size())) {
    // The id is only for the message of a second program; the lock holds.
  }
  FFd = Fd;
  FOwner = static_cast<int>(getpid());
}

THomeLock::~THomeLock() {
  if (FFd >= 0) close(FFd);
}

std::string THomeLock::Refusal() const {
  return std::string(ApplicationTitle) + " is already running on this program home" +
         (FOwner > 0 ? " (process " + std::to_string(FOwner) + ")" : std::string()) + ":\r\n" +
         ExpandFileName(FDir) +
         "\r\nOne program home has one working session. Close the other program first, or install the "
         "program a second time in another directory for a second working session.";
}
