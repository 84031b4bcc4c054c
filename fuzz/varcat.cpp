// The variable catalogue KRL_VAR.csv in its three encodings (the system's
// 8-bit text, UTF-8 and UTF-16 after a byte-order mark), then every rule of
// its variables: validation, formatting, the ranges the session asks for.
//
// Input: one byte for the encoding mark, then the file's bytes after it.
// Each variable's meaning also serves as a value to validate.

#include <string>

#include "FuzzSupport.h"
#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  static const char* const Marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  const std::string Text =
      Marks[Data[0] % 4] + std::string(reinterpret_cast<const char*>(Data + 1), Size - 1);
  const std::string Name = FuzzWrite("KRL_VAR.csv", Text);
  TFileSnapshot Snap;
  Snap.Add(Name);

  try {
    FUZZ_CHECK(LoadVarCatalogue(Name));
  } catch (const Exception& E) {
    FUZZ_CHECK(!E.Message().empty());
  }
  Snap.Check();

  for (const auto& Item : VarCatalogue) {
    const TRerunVar& Entry = *Item.Obj;
    FUZZ_CHECK(Item.Str == Entry.Description());
    FUZZ_CHECK(Entry.Description().size() <= TRerunVar::DescriptionLength);
    FUZZ_CHECK(Entry.VarType().size() <= TRerunVar::TypeLength);
    FUZZ_CHECK(Entry.FileType().size() <= TRerunVar::TypeLength);
    FUZZ_CHECK(FindCatalogueVar(Entry.Description()) != nullptr);
    (void)GetVarMin(Entry.Description());
    (void)GetVarMax(Entry.Description());

    const std::unique_ptr<TRerunVar> Var = Entry.GetCopy();
    FUZZ_CHECK(Var->Description() == Entry.Description() && Var->Meaning() == Entry.Meaning());
    for (const std::string& Value : {Entry.Meaning(), Entry.FileType(), std::string()}) {
      Var->SetValue(Value);
      const bool Valid = Var->Valid();
      FUZZ_CHECK(!Valid || !Value.empty());
      (void)Var->ValidSet();
      (void)Var->GetFormatValue();
      try {
        Var->FormatValue();
      } catch (const EConvertError& E) {
        // Only a value that failed the integer test of type I may be refused.
        FUZZ_CHECK(!E.Message().empty());
        FUZZ_CHECK(!(Valid && !Var->VarType().empty() && Var->VarType()[0] == 'I'));
      }
      // A valid value stays valid once formatted for the model.
      if (Valid) FUZZ_CHECK_MSG(Var->Valid(), Value + " -> " + Var->Value());
    }
  }
  const std::vector<std::string> Fields = SplitCsvLine(Text.substr(0, Text.find_first_of("\r\n")));
  (void)Fields;
  FreeVarCatalogue();
  return 0;
}
