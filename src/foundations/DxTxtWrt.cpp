#include "foundations/DxTxtWrt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "foundations/Errors.h"
#include "platform/FileSys.h"

TDxTextWriter::TDxTextWriter(const std::string& FileName) : FFileName(FileName) {
  // A named pipe or a device in the file's place is refused, not waited on.
  const int Fd = OpenPlainFile(FileName, O_WRONLY | O_CREAT | O_TRUNC);
  if (Fd < 0) throw EInOutError(errno, FileName);
  FFile = fdopen(Fd, "wb");
  if (!FFile) {
    const int E = errno;
    close(Fd);
    throw EInOutError(E, FileName);
  }
}

TDxTextWriter::~TDxTextWriter() {
  if (FFile) std::fclose(FFile);
}

void TDxTextWriter::Write(const std::string& S) {
  if (!FFile) throw EInOutError(EBADF, FFileName);
  if (!S.empty() && std::fwrite(S.data(), 1, S.size(), FFile) != S.size())
    throw EInOutError(errno, FFileName);
}

void TDxTextWriter::WriteLn(const std::string& S) {
  Write(S);
  Write("\r\n");
}

void TDxTextWriter::Close() {
  if (!FFile) return;
  const bool Failed = std::ferror(FFile) != 0;
  const int Rc = std::fclose(FFile);
  FFile = nullptr;
  if (Failed || Rc != 0) throw EInOutError(errno ? errno : EIO, FFileName);
}
