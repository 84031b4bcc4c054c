#pragma once
// Reading one value of an INI file with a default, by the Windows rules:
// section and key names compare without regard to case, the first occurrence
// wins, the value is the text after the first '=' with blanks trimmed and one
// pair of enclosing quotes removed, "KEY=" gives the empty value (not the
// default), a line starting with ';' is a comment, a ';' inside a value is
// part of it. A line ends at a line feed or a carriage return (each alone
// too). A missing file or section or key gives the default.

#include <string>

std::string ReadIniString(const std::string& FileName, const std::string& Section, const std::string& Key,
                          const std::string& Default);
