#include "platform/Handlers.h"

#include <cstdio>

#include "foundations/Errors.h"
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
  Msg.Text = ErrorBoxText(E.what());
  Msg.Title = ApplicationTitle;
  ShowMessage(Msg);
}

TMessageHandler& MessageHandler() {
  static TMessageHandler H = DefaultMessageHandler;
  return H;
}
TCursorHandler& CursorHandler() {
  static TCursorHandler H = [](bool) {};
  return H;
}
TAppErrorHandler& AppErrorHandler() {
  static TAppErrorHandler H = DefaultAppErrorHandler;
  return H;
}
TShellExecuteHandler& ShellHandler() {
  static TShellExecuteHandler H = PosixShellExecute;
  return H;
}
TOpenDocumentHandler& OpenHandler() {
  static TOpenDocumentHandler H = PosixOpenDocument;
  return H;
}

template <class T>
T Replace(T& Slot, T Handler, T Default) {
  T Old = Slot;
  Slot = Handler ? std::move(Handler) : std::move(Default);
  return Old;
}
}  // namespace

TMessageHandler SetMessageHandler(TMessageHandler Handler) {
  return Replace(MessageHandler(), std::move(Handler), TMessageHandler(DefaultMessageHandler));
}
TCursorHandler SetCursorHandler(TCursorHandler Handler) {
  return Replace(CursorHandler(), std::move(Handler), TCursorHandler([](bool) {}));
}
TAppErrorHandler SetAppErrorHandler(TAppErrorHandler Handler) {
  return Replace(AppErrorHandler(), std::move(Handler), TAppErrorHandler(DefaultAppErrorHandler));
}
TShellExecuteHandler SetShellExecuteHandler(TShellExecuteHandler Handler) {
  return Replace(ShellHandler(), std::move(Handler), TShellExecuteHandler(PosixShellExecute));
}
TOpenDocumentHandler SetOpenDocumentHandler(TOpenDocumentHandler Handler) {
  return Replace(OpenHandler(), std::move(Handler), TOpenDocumentHandler(PosixOpenDocument));
}

TMsgResult ShowMessage(const TMessage& Msg) { return MessageHandler()(Msg); }
void SetCursorBusy(bool Busy) { CursorHandler()(Busy); }

std::string ErrorBoxText(const std::string& Message) {
  if (!Message.empty() && static_cast<unsigned char>(Message.back()) > static_cast<unsigned char>('.'))
    return Message + ".";
  return Message;
}

void HandleAppException(const std::exception& E) { AppErrorHandler()(E); }

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
  return ShellHandler()(FileName, Params, DefaultDir, ShowCmd);
}
int ShellOpenDocument(const std::string& FileName) { return OpenHandler()(FileName); }
