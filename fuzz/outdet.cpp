// The detailed output reader: run headers, daily tables, summary rows, water
// balances and nutrient summaries. The program reads the file held in memory
// (TDetailedOutput::ReadOutputFile); the same reading through the buffered
// text file reader must give the same content, also when a faulty row
// stops both.
//
// Input: the whole .out file.

#include "output/OutDet.h"

#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "output/OutputDump.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  const std::string Name = FuzzWrite("KRL.OUT", std::string(reinterpret_cast<const char*>(Data), Size));
  TFileSnapshot Snap;
  Snap.Add(Name);

  TDetailedOutput D;
  std::string ErrorA, ErrorB;
  try {
    FUZZ_CHECK(D.ReadOutputFile(Name));
    FUZZ_CHECK(D.FileName == Name);
  } catch (const Exception& E) {
    ErrorA = E.Message();
    FUZZ_CHECK(!ErrorA.empty());
  }

  TRunOutput R;
  try {
    TDxTextFile F(Name);
    R.ReadAll(F);
  } catch (const Exception& E) {
    ErrorB = E.Message();
  }
  FUZZ_CHECK(ErrorA == ErrorB);
  FUZZ_CHECK(Dump(D.Data) == Dump(R));

  for (const auto& P : D.Data.PotentialList) FUZZ_CHECK(P.Str == P.Obj->Header->RunName.Str());
  for (const auto& W : D.Data.WaterList) FUZZ_CHECK(W.Str == W.Obj->Header->RunName.Str());
  FUZZ_CHECK(D.Data.NutrientsList.Count() <= D.Data.PotentialList.Count());
  if (!D.Data.HasWaterBalance && !D.Data.HasRootZone) FUZZ_CHECK(D.Data.BalanceList.Count() == 0);
  Snap.Check();
  return 0;
}
