// The session's soil choice.
#include "catalogue/Kvsoil.h"

#include "catalogue/KvMenu.h"
#include "foundations/Errors.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

TKvSoil::TKvSoil() { Reset(); }

void TKvSoil::Reset() {
  FSoilDescription.clear();
  FSoilFile.clear();
}

void TKvSoil::FetchSoilData(TListBoxControl& ListBox) { FillMenuListBox(ListBox, SoilList, FSoilFile); }

void TKvSoil::SetSoilFile(const TListBoxControl& ListBox) {
  const int Index = ListBox.ItemIndex();
  if (Index < 0) return;
  const TKorMenuItem* Item = Index < SoilList.Count() ? SoilList.Objects(Index) : nullptr;
  FSoilDescription = Item ? Item->Description : std::string();
  FSoilFile = Item ? Item->FileName : std::string();
}

std::string TKvSoil::SoilFileFromListbox(int Index) const {
  const TKorMenuItem* Item = Index >= 0 && Index < SoilList.Count() ? SoilList.Objects(Index) : nullptr;
  return Item ? Item->FileName : std::string();
}

std::string TKvSoil::GetSelectedSoilFileName() const {
  if (!TheSession) throw EPlainError("There is no session: its directories are unknown");
  return TheSession->FileManager().SoilPath() + "\\" + FSoilFile;
}
