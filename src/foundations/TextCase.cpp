#include "foundations/TextCase.h"

namespace {
inline unsigned char Up(unsigned char C) { return (C >= 'a' && C <= 'z') ? C - 32 : C; }
inline unsigned char Low(unsigned char C) { return (C >= 'A' && C <= 'Z') ? C + 32 : C; }
}  // namespace

std::string UpperCase(std::string S) {
  for (char& C : S) C = static_cast<char>(Up(static_cast<unsigned char>(C)));
  return S;
}

std::string LowerCase(std::string S) {
  for (char& C : S) C = static_cast<char>(Low(static_cast<unsigned char>(C)));
  return S;
}

int CompareText(const std::string& A, const std::string& B) {
  const size_t N = A.size() < B.size() ? A.size() : B.size();
  for (size_t i = 0; i < N; ++i) {
    const int a = Low(static_cast<unsigned char>(A[i]));
    const int b = Low(static_cast<unsigned char>(B[i]));
    if (a != b) return a - b;
  }
  return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

bool SameText(const std::string& A, const std::string& B) {
  return A.size() == B.size() && CompareText(A, B) == 0;
}
