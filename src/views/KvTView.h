#pragma once
// The graph view: a modal window that draws columns of the daily tables of
// one or two detailed output files as curves (TKvTable), with the legend in
// a scrollable list beside the chart, so that a session with hundreds of
// runs keeps its plot.
//
// File 1 is the file the detailed output window shows; file 2 is one the
// user opens here. For each file the user picks a column, whether it is
// drawn and its vertical axis; the two files are aligned on their first or
// their last year. A drag with the left mouse button zooms, up and to the
// left shows the whole graph again, a drag with the right button scrolls.
//
// Use: create, Reset(file), SetTitle, set the help context,
// FillComboBox(1, type), SetUnitOffset, Go.

#include <QDialog>
#include <memory>
#include <string>

#include "KvTable.h"
#include "WinSupport.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QSplitter;
class TKvChartView;

class TFormTableView : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTableView(QWidget* Owner);
  ~TFormTableView() override;

  // File 1 := FullName, file 2 := none, both lists emptied, the table reset.
  void Reset(const std::string& FullName);
  // List Nr filled with the listed columns of table type OutType (the
  // table gets the whole catalogue); nothing when file Nr has no name.
  void FillComboBox(int Nr, int OutType);
  void AddColumn(int Nr, const std::string& Name, const std::string& Units, bool Selectable,
                 const std::string& Description);
  // Applies both lists' selections, draws, shows the window modally.
  void Go();
  // Chart title and window caption.
  void SetTitle(const std::string& Value);
  void SetUnitOffset(int Value);

  TKvTable& Table() { return *FTable; }
  TKvCurveChart* Chart() const { return FChart; }
  const std::string& FullName(int Nr) const { return FFullName[Nr == 2 ? 1 : 0]; }

  // Event handlers.
  void CbColumns1Change();
  void CbColumns2Change();
  void CheckBox1Click();
  void CheckBox2Click();
  void BtnYaxis1Click();
  void BtnYaxis2Click();
  void rbStartYearClick();
  void rbEndYearClick();
  void BitBtn1Click();
  void BtnOutfile2Click();
  void BtnPrintClick();
  void BtnSaveImageClick();
  void BtnCloseClick();
  void FormActivate();

 protected:
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  // The parts of the window, built in the order they take focus.
  void BuildChartArea();
  QWidget* BuildFile1Group();
  QWidget* BuildFile2Group();
  QWidget* BuildSyncGroup();
  QLayout* BuildCommandButtons();
  QWidget* BuildControlPanel();
  void ConnectControls();
  // Applies the lists' selections to the table.
  void ApplySelections();
  // Draws and refills the legend (also after a failed drawing).
  void DrawChart();
  void RefreshLegend();
  void LegendItemChanged(QListWidgetItem* Item);
  void ToggleAxisButton(QPushButton* Button, int Nr);
  QComboBox* Columns(int Nr) const;

  std::string FFullName[2];
  std::unique_ptr<TKvTable> FTable;
  std::string FTitle;
  TOncePerShowing FActivation;

  TKvCurveChart* FChart;
  TKvChartView* FChartView;
  QSplitter* FSplitter;
  QListWidget* FLegend;
  QLabel* FLegendLabel;
  QLabel* FLblOutputFile1;
  QLabel* FLblOutputFile2;
  QCheckBox* FCheckBox1;
  QCheckBox* FCheckBox2;
  QComboBox* FCbColumns1;
  QComboBox* FCbColumns2;
  QPushButton* FBtnYaxis1;
  QPushButton* FBtnYaxis2;
  QRadioButton* FRbStartYear;
  QRadioButton* FRbEndYear;
};
