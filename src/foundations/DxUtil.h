#pragma once
// Number tests on text, small text operations, removing and copying files,
// and starting programs or documents. None of it keeps state.

#include <set>
#include <string>
#include <vector>

#include "foundations/Errors.h"
#include "foundations/Kvutil.h"

// ---- numbers in text (full stop as decimal separator)
bool IsFloat(const std::string& S);
long double FloatOrZero(const std::string& S);
bool IsInteger(const std::string& S);
int IntOrZero(const std::string& S);
// 0 when |A - B| < 1e-6, else 1 when A > B and -1 when A < B.
int CompareFloat(long double A, long double B);
int MaxOf(int A, int B);
// Gregorian leap years.
bool IsLeapYear(int Year);

// ---- text; blanks are the characters with codes 0 to 32
bool IsBlank(const std::string& S);
std::string TrimBlanks(const std::string& S);
// S without every character whose code is in Chars.
std::string RemoveChars(const std::string& S, const std::set<unsigned char>& Chars);
// S without one pair of enclosing single or double quotes.
std::string Unquoted(const std::string& S);
void Unquote(std::string& S);
void RemoveTrailingBackslash(std::string& S);
// Cuts S into lines of at most 80 characters, each ending at the last comma
// within its first 80 characters. A stretch of more than 80 characters
// without a comma is cut hard at 80.
void WrapAtCommas(const std::string& S, std::vector<std::string>& List);
// Path shortened to MaxLen for display: leading characters + "...\" + name.
std::string ShortenPath(const std::string& Path, int MaxLen);

// The current date and time as the program writes it into files.
std::string CurrentDateTimeText();

// ---- files
bool IsReadOnlyFile(const std::string& FileName);
// Removes FileName when it exists; a read-only file only with Force or after
// the user's Yes. A failing delete raises EInOutError.
void RemoveFile(const std::string& FileName, bool Force);
// Copies the whole file; 0 on success (also when Source and Dest name the same
// file). A file that cannot be opened or created gives the file-open code: 2
// file not found, 3 path not found, 5 access denied (also for a read-only
// Dest); a failing copy gives -3 (read) or -4 (write). With ShowError every
// failure is also shown in an error box.
int CopyOneFile(const std::string& Source, const std::string& Dest, bool ShowError);

// ---- programs and documents
constexpr int SW_SHOWNORMAL = 1;
// Starts FileName with its default action; answers the shell's result code
// (above 32 on success). Each text may be at most 250 characters.
int ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                int ShowCmd);
bool StartProgram(const std::string& FileName, const std::string& Params, const std::string& DefaultDir);
void OpenDocument(const std::string& FileName);
