// krlcmd: runs the batch script that the control centre writes for a model
// run ("run.bat"), line by line, without any shell.
//
//   krlcmd FILE
//
// It knows exactly the lines the control centre writes:
//   @echo off | echo TEXT | echo: | (empty line) | cd DIR | PROGRAM > "LOG"
//   pause | del "FILE" | exit
// A script holding any other line is refused as a whole before anything runs,
// and so is one whose lines do not end in CR LF or LF (a carriage return
// inside a line). Names are Windows-style (backslashes, any letter case) and
// are mapped onto the file system like every name of the control centre. The
// program is a bare name, without a directory part, found in the script's
// current directory; it is started directly with an argument vector, its
// standard output going to the log. "pause" waits for a key in a terminal and returns at once at the end
// of its input.

#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

namespace {

enum class TKind { EchoOff, Echo, EchoBlank, Empty, Cd, Run, Pause, Del, Exit };

struct TCommand {
  TKind Kind;
  std::string Arg1;  // text, directory, program or file
  std::string Arg2;  // the log of a program line
  int LineNo;
};

bool StartsWith(const std::string& S, const char* P) { return S.compare(0, std::strlen(P), P) == 0; }

// A name between double quotes filling the rest of S; false when S is not so.
bool Quoted(const std::string& S, std::string& Name) {
  if (S.size() < 2 || S.front() != '"' || S.back() != '"') return false;
  Name = S.substr(1, S.size() - 2);
  return !Name.empty() && Name.find('"') == std::string::npos;
}

bool Parse(const std::string& Line, int LineNo, TCommand& C) {
  C = TCommand{TKind::Empty, "", "", LineNo};
  if (Line.empty()) return true;
  if (Line == "@echo off") {
    C.Kind = TKind::EchoOff;
    return true;
  }
  if (Line == "echo:") {
    C.Kind = TKind::EchoBlank;
    return true;
  }
  if (StartsWith(Line, "echo ")) {
    C.Kind = TKind::Echo;
    C.Arg1 = Line.substr(5);
    return true;
  }
  if (StartsWith(Line, "cd ") && Line.size() > 3) {
    C.Kind = TKind::Cd;
    C.Arg1 = Line.substr(3);
    return true;
  }
  if (Line == "pause") {
    C.Kind = TKind::Pause;
    return true;
  }
  if (Line == "exit") {
    C.Kind = TKind::Exit;
    return true;
  }
  if (StartsWith(Line, "del ")) {
    C.Kind = TKind::Del;
    return Quoted(Line.substr(4), C.Arg1);
  }
  const size_t Redirect = Line.find(" > ");
  if (Redirect != std::string::npos && Redirect > 0) {
    C.Kind = TKind::Run;
    C.Arg1 = Line.substr(0, Redirect);
    // Only a program of the current directory: no directory part, no drive.
    if (C.Arg1.find_first_of(" \"/\\:") != std::string::npos || C.Arg1 == "." || C.Arg1 == "..") return false;
    return Quoted(Line.substr(Redirect + 3), C.Arg2);
  }
  return false;
}

void Pause() {
  std::fputs("Press any key to continue . . . ", stdout);
  std::fflush(stdout);
  char Ch;
  if (isatty(STDIN_FILENO)) {
    termios Old;
    if (tcgetattr(STDIN_FILENO, &Old) == 0) {
      termios Raw = Old;
      Raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
      Raw.c_cc[VMIN] = 1;
      Raw.c_cc[VTIME] = 0;
      tcsetattr(STDIN_FILENO, TCSANOW, &Raw);
      while (read(STDIN_FILENO, &Ch, 1) < 0 && errno == EINTR) {
      }
      tcsetattr(STDIN_FILENO, TCSANOW, &Old);
      std::fputs("\n", stdout);
      return;
    }
  }
  // Not a terminal: one character of input, or at once at its end.
  while (read(STDIN_FILENO, &Ch, 1) < 0 && errno == EINTR) {
  }
  std::fputs("\n", stdout);
}

// Runs Program with its standard output in Log; waits for it.
void RunProgram(const std::string& Program, const std::string& Log) {
  std::fflush(stdout);
  int Pid = -1;
  std::string Message;
  const TLoggedStart Started = StartWithLog(Program, Log, Pid, Message);
  if (Started != TLoggedStart::Started) {
    // A program that exists but would not start is told where its own
    // output would have gone.
    std::fprintf(Started == TLoggedStart::NotStarted ? stderr : stdout, "%s\n", Message.c_str());
    return;
  }
  int Status;
  while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
  }
}

// The whole script; the name is mapped like every name of the control centre.
// Fails when the file is missing or is not a plain file.
std::string ReadScript(const std::string& Name) {
  if (!FileExists(Name)) throw std::runtime_error("File '" + Name + "' not found");
  const int Fd = OpenPlainFile(Name, O_RDONLY);
  if (Fd < 0) throw EInOutError(errno, Name);
  std::string Text;
  char Buf[4096];
  for (;;) {
    const ssize_t N = read(Fd, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      const int E = errno;
      close(Fd);
      throw EInOutError(E, Name);
    }
    if (N == 0) break;
    Text.append(Buf, static_cast<size_t>(N));
  }
  close(Fd);
  return Text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: krlcmd FILE\n");
    return 2;
  }
  std::vector<TCommand> Script;
  std::string Text;
  try {
    Text = ReadScript(argv[1]);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "krlcmd: %s\n", E.what());
    return 2;
  }
  int LineNo = 0;
  for (size_t Pos = 0; Pos < Text.size();) {
    size_t End = Text.find('\n', Pos);
    const size_t Next = End == std::string::npos ? Text.size() : End + 1;
    if (End == std::string::npos) End = Text.size();
    std::string Line = Text.substr(Pos, End - Pos);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Pos = Next;
    ++LineNo;
    if (Line.find('\r') != std::string::npos) {
      std::fprintf(stderr,
                   "krlcmd: %s, line %d: refused, a carriage return without a line feed inside the line "
                   "(lines must end in CR LF or LF)\n",
                   argv[1], LineNo);
      return 3;
    }
    const auto Control = std::find_if(Line.begin(), Line.end(), [](char Ch) {
      return static_cast<unsigned char>(Ch) < 0x20 || Ch == 0x7f;
    });
    if (Control != Line.end()) {
      std::fprintf(stderr, "krlcmd: %s, line %d: refused, a control character (code %d) inside the line\n",
                   argv[1], LineNo, static_cast<unsigned char>(*Control));
      return 3;
    }
    TCommand C;
    if (!Parse(Line, LineNo, C)) {
      std::fprintf(stderr, "krlcmd: %s, line %d: refused, not a line of a run script: %s\n", argv[1], LineNo,
                   Line.c_str());
      return 3;
    }
    Script.push_back(C);
  }

  bool EchoOn = true;
  for (const TCommand& C : Script) {
    switch (C.Kind) {
      case TKind::EchoOff: EchoOn = false; break;
      case TKind::Echo: std::printf("%s\n", C.Arg1.c_str()); break;
      case TKind::EchoBlank: std::printf("\n"); break;
      case TKind::Empty: break;
      case TKind::Cd:
        if (EchoOn) std::printf("cd %s\n", C.Arg1.c_str());
        try {
          SetCurrentDir(C.Arg1);
        } catch (const std::exception&) {
          std::printf("The system cannot find the path specified: %s\n", C.Arg1.c_str());
        }
        break;
      case TKind::Run: RunProgram(C.Arg1, C.Arg2); break;
      case TKind::Pause: Pause(); break;
      case TKind::Del:
        if (FileExists(C.Arg1) && !DeleteFileName(C.Arg1))
          std::printf("Could not delete %s: %s\n", C.Arg1.c_str(), std::strerror(errno));
        break;
      case TKind::Exit: std::fflush(stdout); return 0;
    }
    std::fflush(stdout);
  }
  return 0;
}
