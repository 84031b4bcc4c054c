#include "KvGraphOpen.h"

#include <exception>
#include <memory>

#include "KvTView.h"
#include "KvWatBal.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "output/OutDet.h"
#include "platform/FileSys.h"

const TGraphKind* GraphKindOf(int Page, bool HasGroundwater) {
  static const TGraphKind Kinds[] = {
      {"Potential Crop Production", 211, 1, 4},
      {"Water Limited Crop Growth With Groundwater", 221, 2, 2},
      {"Water Limited Crop Growth Without Groundwater", 221, 3, 2},
  };
  if (Page == 0) return &Kinds[0];
  if (Page == 1) return HasGroundwater ? &Kinds[1] : &Kinds[2];
  return nullptr;
}

void DetailedGraph(QWidget* Owner, int Page, TDetailedOutput& OutputData, bool HasGroundwater,
                   const QString& RunName, const QString& RunYear, const QString& RainYear) {
  const std::string& Name = OutputData.FileName;
  if (!Name.empty() && !FileExists(Name)) throw EKvError("File '" + Name + "' not found");
  if (const TGraphKind* Kind = GraphKindOf(Page, HasGroundwater)) {
    std::unique_ptr<TFormTableView> View;
    try {
      View = std::make_unique<TFormTableView>(Owner);
      View->Reset(Name);
      View->SetTitle(Kind->Title);
      SetHelpContext(View.get(), Kind->HelpContext);
      View->FillComboBox(1, Kind->OutType);
      View->SetUnitOffset(Kind->UnitOffset);
      View->Go();
    } catch (const std::exception&) {
      ShowErrorBox("Failed to create graph.");
    }
    return;
  }
  if (Page == 2) {
    TFormWaterBalance Balance(Owner);
    Balance.OutputData = &OutputData;
    Balance.RunName = ToCore(RunName);
    Balance.RunYear = ToCore(RunYear);
    Balance.RainYear = ToCore(RainYear);
    ExecModal(Balance);
  }
}
