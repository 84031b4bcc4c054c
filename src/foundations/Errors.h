#pragma once
// The program's error types. Every error carries a finished, user-readable
// message; the application's error handler shows it as it stands (adding a
// full stop where the message does not end in punctuation).

#include <stdexcept>
#include <string>

// Base of every error the program raises itself.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& Msg) : std::runtime_error(Msg) {}
  std::string Message() const { return what(); }
};

// Failure inside the text and file foundations (missing file, clipboard).
class EDxError : public Exception {
 public:
  using Exception::Exception;
};

// Failure in the program's own domain: bad data file, incomplete rerun,
// failed run. The message is meant for the user unchanged.
class EKvError : public Exception {
 public:
  using Exception::Exception;
};

// A value outside the range a table or counter can hold (a line of more than
// 255 words, a word number outside 0..255).
class ERangeError : public Exception {
 public:
  ERangeError() : Exception("Range check error") {}
};

// A file that exists but cannot be opened, read, written or deleted. Carries
// the system's error code and its text.
class EInOutError : public Exception {
 public:
  EInOutError(int ErrorCode, const std::string& FileName);
  int ErrorCode() const { return FErrorCode; }

 private:
  int FErrorCode;
};

// A text that does not convert to a number.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A plain error that is not one of the program's own kinds (argument limits).
class EPlainError : public Exception {
 public:
  using Exception::Exception;
};
