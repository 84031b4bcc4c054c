#include "foundations/Errors.h"

#include <cstring>

namespace {
std::string InOutMessage(int ErrorCode, const std::string& FileName) {
  std::string Msg = "I/O error " + std::to_string(ErrorCode) + ": " + std::strerror(ErrorCode);
  if (!FileName.empty()) Msg += " (" + FileName + ")";
  return Msg;
}
}  // namespace

EInOutError::EInOutError(int ErrorCode, const std::string& FileName)
    : Exception(InOutMessage(ErrorCode, FileName)), FErrorCode(ErrorCode) {}
