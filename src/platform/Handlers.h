#pragma once
// The replaceable handlers behind the program's message boxes, busy cursor,
// shell actions and application-wide error handling.
//
// Core code calls the free functions of foundations/Kvutil.h and
// foundations/DxUtil.h; those forward to the handler installed here. The
// program installs handlers that show Qt dialogs; tests install scripted
// handlers; the defaults (no display) write the text to standard error and
// answer the box's default button.

#include <exception>
#include <functional>
#include <string>

enum class TMsgKind { Confirmation, Information, Error, Plain };
enum class TMsgButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

struct TMessage {
  TMsgKind Kind = TMsgKind::Information;
  TMsgButtons Buttons = TMsgButtons::Ok;
  std::string Text;
  std::string Title;  // empty: the application title
};

using TMessageHandler = std::function<TMsgResult(const TMessage&)>;
using TCursorHandler = std::function<void(bool Busy)>;

// Install a handler; each returns the one it replaces. An empty function
// restores the default.
TMessageHandler SetMessageHandler(TMessageHandler Handler);
TCursorHandler SetCursorHandler(TCursorHandler Handler);

// Shows a message through the installed handler.
TMsgResult ShowMessage(const TMessage& Msg);
void SetCursorBusy(bool Busy);

// The application title, used by the error box and the batch script.
extern const char* const ApplicationTitle;

// ---- the application-wide error handler
// Receives every error that an operation lets escape. The default applies
// the full-stop rule and shows the message in an error box titled with the
// application title.
using TAppErrorHandler = std::function<void(const std::exception&)>;
TAppErrorHandler SetAppErrorHandler(TAppErrorHandler Handler);
void HandleAppException(const std::exception& E);
// Runs Body and hands any error it raises to HandleAppException.
bool GuardedCall(const std::function<void()>& Body);
// The message of an error as the error box shows it: a full stop is added
// when its last character's code is above that of the full stop.
std::string ErrorBoxText(const std::string& Message);

// ---- shell actions
// Starting a file with its default action; answers the shell's result code
// (above 32 on success). See DxUtil.h ExecuteFile.
using TShellExecuteHandler = std::function<int(const std::string& FileName, const std::string& Params,
                                               const std::string& DefaultDir, int ShowCmd)>;
// Opening a document or address with the desktop's default application;
// answers a result code like the shell's.
using TOpenDocumentHandler = std::function<int(const std::string& FileName)>;
TShellExecuteHandler SetShellExecuteHandler(TShellExecuteHandler Handler);
TOpenDocumentHandler SetOpenDocumentHandler(TOpenDocumentHandler Handler);
int ShellExecute(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                 int ShowCmd);
int ShellOpenDocument(const std::string& FileName);
