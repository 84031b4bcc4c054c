#include "platform/Handlers.h"

#include <cstdio>
#include <new>
#include <utility>

#include "foundations/Errors.h"
#include "platform/HandlerSlot.h"
#include "platform/Shell.h"

const char* const ApplicationTitle = "KORVAL Control Zudezo";

namespace {
TMsgResult DefaultAnswer(TMsgButtons B) {
  switch (B) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::OkCancel: return TMsgResult::Ok;
    case TMsgButtons::YesNo:
    case TMsgButtons::YesNoCancel: return TMsgResult::Yes;
  }
  return TMsgResult::Ok;
}

TMsgResult DefaultMessageHandler(const TMessage& Msg) {
  std::fprintf(stderr, "%s: %s\n", Msg.Title.empty() ? ApplicationTitle : Msg.Title.c_str(),
               Msg.Text.c_str());
  return DefaultAnswer(Msg.Buttons);
}

void DefaultAppErrorHandler(const std::exception& E) {
  TMessage Msg;
  Msg.Kind = TMsgKind::Error;
  Msg.Buttons = TMsgButtons::Ok;
  // An allocation failure names itself only in the library's words.
  Msg.Text = dynamic_cast<const std::bad_alloc*>(&E)
                 ? ErrorBoxText(
                       "There is not enough free memory for this. Close other programs or windows and try "
                       "again, or work with fewer years or reruns at a time")
                 : ErrorBoxText(E.what());
  Msg.Title = ApplicationTitle;
  ShowMessage(Msg);
}

void NoCursor(bool) {}

THandlerSlot<TMessageHandler>& MessageHandler() {
  static THandlerSlot<TMessageHandler> S(DefaultMessageHandler);
  return S;
}
THandlerSlot<TCursorHandler>& CursorHandler() {
  static THandlerSlot<TCursorHandler> S(NoCursor);
  return S;
}
THandlerSlot<TAppErrorHandler>& AppErrorHandler() {
  static THandlerSlot<TAppErrorHandler> S(DefaultAppErrorHandler);
  return S;
}
THandlerSlot<TShellExecuteHandler>& ShellHandler() {
  static THandlerSlot<TShellExecuteHandler> S(PosixShellExecute);
  return S;
}
THandlerSlot<TOpenDocumentHandler>& OpenHandler() {
  static THandlerSlot<TOpenDocumentHandler> S(PosixOpenDocument);
  return S;
}
}  // namespace

TMessageHandler SetMessageHandler(TMessageHandler Handler) {
  return MessageHandler().Set(std::move(Handler));
}
TCursorHandler SetCursorHandler(TCursorHandler Handler) { return CursorHandler().Set(std::move(Handler)); }
TAppErrorHandler SetAppErrorHandler(TAppErrorHandler Handler) {
  return AppErrorHandler().Set(std::move(Handler));
}
TShellExecuteHandler SetShellExecuteHandler(TShellExecuteHandler Handler) {
  return ShellHandler().Set(std::move(Handler));
}
TOpenDocumentHandler SetOpenDocumentHandler(TOpenDocumentHandler Handler) {
  return OpenHandler().Set(std::move(Handler));
}

TMsgResult ShowMessage(const TMessage& Msg) { return MessageHandler().Get()(Msg); }
void SetCursorBusy(bool Busy) { CursorHandler().Get()(Busy); }

std::string ErrorBoxText(const std::string& Message) {
  if (!Message.empty() && static_cast<unsigned char>(Message.back()) > static_cast<unsigned char>('.'))
    return Message + ".";
  return Message;
}

void HandleAppException(const std::exception& E) { AppErrorHandler().Get()(E); }

bool GuardedCall(const std::function<void()>& Body) {
  try {
    Body();
    return true;
  } catch (const std::exception& E) {
    HandleAppException(E);
  } catch (...) {
    HandleAppException(EPlainError("Unknown error"));
  }
  return false;
}

int ShellExecute(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                 int ShowCmd) {
  return ShellHandler().Get()(FileName, Params, DefaultDir, ShowCmd);
}
int ShellOpenDocument(const std::string& FileName) { return OpenHandler().Get()(FileName); }
