#pragma once
// Letter case of the program's 8-bit text: only the ASCII letters fold, every
// other byte stays as it is.

#include <string>

std::string UpperCase(std::string S);
std::string LowerCase(std::string S);
// Equal without regard to letter case.
bool SameText(const std::string& A, const std::string& B);
// <0, 0, >0 like strcmp, without regard to letter case.
int CompareText(const std::string& A, const std::string& B);
