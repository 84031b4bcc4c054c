#include "foundations/Errors.h"

#include <cerrno>
#include <cstring>

namespace {
std::string InOutMessage(int ErrorCode, const std::string& FileName) {
  std::string Msg = "I/O error " + std::to_string(ErrorCode) + ": " + std::strerror(ErrorCode);
  if (FileName.empty()) return Msg;
  Msg += " (" + FileName + ")";
  // What the user can do about the commonest causes.
  switch (ErrorCode) {
    case EISDIR: return Msg + "\r\nA folder stands where this file belongs: move or rename the folder";
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return Msg + "\r\nThe disk is full: make room on it and try again";
    case EACCES:
    case EPERM:
    case EROFS: return Msg + "\r\nThe file or its folder may not be written: make them writable for you";
    default: return Msg;
  }
}
}  // namespace

EInOutError::EInOutError(int ErrorCode, const std::string& FileName)
    : Exception(InOutMessage(ErrorCode, FileName)), FErrorCode(ErrorCode) {}
