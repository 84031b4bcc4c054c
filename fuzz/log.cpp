// The model's log as the run judges it: an error is a line holding the word
// ERROR; its message runs to the line starting with "Press".
//
// Input: the whole log.

#include <string>

#include "FuzzSupport.h"
#include "foundations/DxLine.h"
#include "foundations/Errors.h"
#include "session/KvRun.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  const std::string Log = FuzzWrite("KRL.LOG", Text);
  TFileSnapshot Snap;
  Snap.Add(Log);

  // Whether some line up to the first one that cannot be split holds ERROR.
  bool Expect = false, Refused = false;
  {
    size_t Pos = 0;
    while (Pos < Text.size() && !Expect) {
      size_t End = Pos;
      while (End < Text.size() && Text[End] != '\r' && Text[End] != '\n') ++End;
      TDxLine L;
      try {
        L.SetStr(Text.substr(Pos, End - Pos));
      } catch (const ERangeError&) {
        Refused = true;
        break;
      }
      Expect = L.GetNo("ERROR") > 0;
      const size_t Lf = Text.find('\n', End);
      Pos = Lf == std::string::npos ? Text.size() : Lf + 1;
    }
  }

  const size_t Before = FuzzMessagesShown();
  try {
    const bool Found = CheckLogFile(Log);
    FUZZ_CHECK(Found == Expect);
    // An error is told in two boxes: "Simulation failed." and its text.
    FUZZ_CHECK(FuzzMessagesShown() - Before == (Found ? 2u : 0u));
  } catch (const ERangeError&) {
    FUZZ_CHECK(Refused || Expect);
  }
  Snap.Check();
  return 0;
}
