#pragma once
// The program's message boxes and the busy cursor. Each forwards to the
// handler installed in platform/Handlers.h.

#include <string>

#include "platform/Handlers.h"

bool ConfirmYesNo(const std::string& Msg);
bool ConfirmOkCancel(const std::string& Msg);
// Yes, No or Cancel.
TMsgResult AskYesNoCancel(const std::string& Msg);
void ShowInfoBox(const std::string& Msg);
void ShowErrorBox(const std::string& Msg);
// A box with no icon and an OK button.
void ShowPlainBox(const std::string& Msg);

void SetBusyCursor();
void SetNormalCursor();

// Sets the busy cursor for its lifetime: the normal cursor comes back however
// the scope is left.
class TBusyCursor {
 public:
  TBusyCursor() { SetBusyCursor(); }
  ~TBusyCursor() { SetNormalCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};
