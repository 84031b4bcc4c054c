#include "foundations/Kvutil.h"

namespace {
TMsgResult Box(TMsgKind Kind, TMsgButtons Buttons, const std::string& Text) {
  TMessage M;
  M.Kind = Kind;
  M.Buttons = Buttons;
  M.Text = Text;
  return ShowMessage(M);
}
}  // namespace

bool ConfirmYesNo(const std::string& Msg) {
  return Box(TMsgKind::Confirmation, TMsgButtons::YesNo, Msg) == TMsgResult::Yes;
}
bool ConfirmOkCancel(const std::string& Msg) {
  return Box(TMsgKind::Confirmation, TMsgButtons::OkCancel, Msg) == TMsgResult::Ok;
}
TMsgResult AskYesNoCancel(const std::string& Msg) {
  return Box(TMsgKind::Confirmation, TMsgButtons::YesNoCancel, Msg);
}
void ShowInfoBox(const std::string& Msg) { Box(TMsgKind::Information, TMsgButtons::Ok, Msg); }
void ShowErrorBox(const std::string& Msg) { Box(TMsgKind::Error, TMsgButtons::Ok, Msg); }
void ShowPlainBox(const std::string& Msg) { Box(TMsgKind::Plain, TMsgButtons::Ok, Msg); }

void SetBusyCursor() { SetCursorBusy(true); }
void SetNormalCursor() { SetCursorBusy(false); }
