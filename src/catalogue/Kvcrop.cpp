// The session's crop choice and crop calendar.
#include "catalogue/Kvcrop.h"

#include "catalogue/KvMenu.h"
#include "catalogue/KvRange.h"
#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

TKvCrop::TKvCrop() { Reset(); }

void TKvCrop::Reset() {
  // Each range: the minimum is asked first, then the maximum (a variable the
  // catalogue lacks shows its one message when the minimum is asked).
  auto Range = [](const char* Name, int32_t& Min, int32_t& Max) {
    Min = RangeMinInt(Name);
    Max = RangeMaxInt(Name);
  };
  FStartDay = 1;
  FFixedEmergenceDate = 1;
  Range("IDEM", FMinFixedEmergenceDate, FMaxFixedEmergenceDate);
  FFixedSowingDate = 1;
  Range("IDSOW", FMinFixedSowingDate, FMaxFixedSowingDate);
  FEarliestSowingDate = 100;
  Range("IDESOW", FMinEarliestSowingDate, FMaxEarliestSowingDate);
  FUltimateSowingDate = 140;
  Range("IDLSOW", FMinUltimateSowingDate, FMaxUltimateSowingDate);
  FFixedEndDate = 270;
  Range("IDAYEN", FMinFixedEndDate, FMaxFixedEndDate);
  FEndDay = 2;
  FCropDescription.clear();
  FCropFile.clear();
  FMaximumDuration = 260;
  Range("IDURMX", FMinMaximumDuration, FMaxMaximumDuration);
}

void TKvCrop::FetchCropData(TListBoxControl& ListBox) { FillMenuListBox(ListBox, CropList, FCropFile); }

void TKvCrop::SetCropFile(const TListBoxControl& ListBox, TLabelControl& lbcroptimer) {
  const int Index = ListBox.ItemIndex();
  if (Index < 0) return;
  const TKorMenuItem* Item = Index < CropList.Count() ? CropList.Objects(Index) : nullptr;
  if (!Item) {
    FCropDescription.clear();
    FCropFile.clear();
    return;
  }
  FCropDescription = Item->Description;
  FCropFile = Item->FileName;
  lbcroptimer.SetCaption("Selected crop: \r\n" + FCropDescription);
}

std::string TKvCrop::GetSelectedCropFileName() const {
  if (!TheSession) throw EPlainError("There is no session: its directories are unknown");
  return TheSession->FileManager().CropPath() + "\\" + FCropFile;
}
