#pragma once
// One program home has one working session, so one program at a time may
// work on it. The lock is a file in the program directory holding the
// owner's process id, locked for as long as the owner runs: the operating
// system releases it when that process ends, however it ends, so a lock
// left by a program that died is taken over at the next start.

#include <string>

class THomeLock {
 public:
  // Tries to take the lock of the program directory ExecDir.
  explicit THomeLock(const std::string& ExecDir);
  ~THomeLock();
  THomeLock(const THomeLock&) = delete;
  THomeLock& operator=(const THomeLock&) = delete;

  // False only when another program holds the lock. A directory that
  // cannot hold a lock file does not stop the program.
  bool Held() const { return !FRefused; }
  // The process id of the program that holds the lock (0 when unknown).
  int OwnerPid() const { return FOwner; }
  // What to tell the user when the lock is not held.
  std::string Refusal() const;

  static constexpr const char* FileName = "krl.lock";

 private:
  std::string FDir;
  int FFd = -1;
  bool FRefused = false;
  int FOwner = 0;
};
