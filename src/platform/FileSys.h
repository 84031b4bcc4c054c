#pragma once
// The file system as the program sees it.
//
// File names are formed the Windows way (backslashes, upper case). Every file
// access maps such a name onto the real file system with MapFileName: '\'
// becomes '/', doubled separators collapse, and each path component that does
// not exist as spelled is matched without regard to letter case (the first
// match in sorted order). The program thus behaves as on a case-insensitive,
// case-preserving file system. Name splitting accepts both separators.

#include <cstdint>
#include <string>
#include <vector>

// ---- names (pure text operations, both '\' and '/' separate)
bool IsPathDelimiter(char C);
// Everything after the last separator.
std::string ExtractFileName(const std::string& Name);
// Everything up to and including the last separator.
std::string ExtractFilePath(const std::string& Name);
// Everything up to the last separator, without it.
std::string ExtractFileDir(const std::string& Name);
// The extension of the file-name part, its '.' included; empty when none.
std::string ExtractFileExt(const std::string& Name);
// Name with the extension of its file-name part replaced (Ext includes '.').
std::string ChangeFileExt(const std::string& Name, const std::string& Ext);
// The file-name part without its extension.
std::string ExtractFileBase(const std::string& Name);
// Name as an absolute name on this machine: '.' and '..' folded as text (as
// the name means them, also below a missing directory), then mapped onto the
// file system.
std::string ExpandFileName(const std::string& Name);

// ---- mapping onto the file system
std::string MapFileName(const std::string& Name);

// ---- queries; "a file" is never a directory
bool FileExists(const std::string& Name);
bool DirectoryExists(const std::string& Name);
// The read-only attribute: no write permission bit is set.
bool FileIsReadOnly(const std::string& Name);
void SetFileReadOnly(const std::string& Name, bool ReadOnly);
// Names of the entries of a directory (files and subdirectories), sorted by
// name without regard to case. Fails with EInOutError when it cannot be listed.
struct TDirEntry {
  std::string Name;
  bool IsDirectory = false;
};
std::vector<TDirEntry> ListDirectory(const std::string& Dir);

// Opens a plain file with open(2) Flags (O_CLOEXEC is added), Mode for a
// file it creates. Never waits on a named pipe or a device in a file's
// place: such a thing, like a directory, is refused. Answers the descriptor,
// or -1 with errno set (EISDIR for a directory, ENXIO or EINVAL for anything
// else that is not a plain file).
int OpenPlainFile(const std::string& Name, int Flags, unsigned Mode = 0666);

// ---- changes
// Deletes a file; returns false with errno set when it could not.
bool DeleteFileName(const std::string& Name);
// Creates a directory and its parents; true when it exists afterwards.
bool ForceDirectories(const std::string& Name);
// Forgets every cached directory listing.
void InvalidateDirCache();

// ---- the process
// Directory of the running executable, with a trailing '/'.
std::string GetExecPath();
// Tests point the program directory at a fixture.
void SetExecPath(const std::string& Path);
std::string GetCurrentDir();
// Makes Dir (mapped) the current directory; EInOutError when it cannot.
void SetCurrentDir(const std::string& Dir);
// Full path of the running executable.
std::string GetExecFileName();
