#include "Kvedtrun.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "DxGrid.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "catalogue/KvRerun.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "platform/Handlers.h"

TFormEditRerun::TFormEditRerun(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormEditRerun");
  setWindowTitle("Edit Rerun variable");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);

  lblName = new QLabel(this);
  lblName->setObjectName("lblName");
  QFont Bold = lblName->font();
  Bold.setBold(true);
  lblName->setFont(Bold);
  lblMeaning = new QLabel(this);
  lblMeaning->setObjectName("lblMeaning");
  lblMeaning->setWordWrap(true);
  lblMeaning->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  SGValues = new TDxStringGrid(this);
  SGValues->setObjectName("SGValues");
  SGValues->SetAll(2, std::vector<QStringList>(MinRows));
  SGValues->SetDefaultColWidth(std::max(80, fontMetrics().horizontalAdvance("-0000.00000") + 12));
  SGValues->SetDefaultRowHeight(18);
  SGValues->SetEditing(true);
  SGValues->setTabKeyNavigation(true);
  SGValues->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SGValues->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SGValues->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Two columns and, where the screen allows it, 15 rows in view.
  const int Frame = 2 * SGValues->frameWidth();
  const int RowHeight = SGValues->verticalHeader()->defaultSectionSize();
  int Rows = MinRows;
  if (const QScreen* Screen = QGuiApplication::primaryScreen())
    Rows = std::clamp((Screen->availableGeometry().height() - 12 * fontMetrics().lineSpacing()) / RowHeight,
                      5, MinRows);
  SGValues->setFixedSize(Frame + 2 * SGValues->horizontalHeader()->defaultSectionSize() +
                             style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, SGValues),
                         Frame + Rows * RowHeight);
  // The meaning wraps within the grid's width; room for three lines.
  lblMeaning->setFixedWidth(std::max(SGValues->width(), fontMetrics().averageCharWidth() * 30));
  lblMeaning->setMinimumHeight(fontMetrics().lineSpacing() * 3);

  QDialogButtonBox* Buttons = MakeOkCancelButtons(this, OKBtn, CancelBtn);

  auto* Main = new QVBoxLayout(this);
  Main->addWidget(lblName);
  Main->addWidget(lblMeaning);
  Main->addWidget(SGValues, 0, Qt::AlignHCenter);
  Main->addWidget(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);

  SGValues->setFocus();
  SGValues->SetCurrentCell(0, 0);
}

void TFormEditRerun::SetValue(TRerunVar* aRerunVar) {
  FSetRerunVar = aRerunVar;
  lblName->setText(aRerunVar ? FromCore(aRerunVar->Description()) : QString());
  lblMeaning->setText(aRerunVar ? FromCore(aRerunVar->Meaning()) : QString());
  LoadGrid();
}

std::vector<std::pair<QString, QString>> TFormEditRerun::SplitPairs(const QString& Value) {
  // Every comma separates; pieces may be empty and keep their blanks.
  const QStringList Pieces = Value.isEmpty() ? QStringList() : Value.split(',');
  std::vector<std::pair<QString, QString>> Pairs;
  for (qsizetype i = 0; i + 1 < Pieces.size(); i += 2) Pairs.emplace_back(Pieces[i], Pieces[i + 1]);
  return Pairs;
}

void TFormEditRerun::LoadGrid() {
  const auto Pairs = SplitPairs(FSetRerunVar ? FromCore(FSetRerunVar->Value()) : QString());
  // Every pair gets its row, and a full grid one empty row more to add a pair.
  const int N = static_cast<int>(Pairs.size());
  std::vector<QStringList> Rows(static_cast<size_t>(N >= MinRows ? N + 1 : MinRows));
  for (int i = 0; i < N; ++i) Rows[static_cast<size_t>(i)] = QStringList{Pairs[i].first, Pairs[i].second};
  SGValues->SetAll(2, Rows);
  SGValues->SetCurrentCell(0, 0);
}

void TFormEditRerun::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  SGValues->setFocus();
  if (SGValues->currentIndex().isValid()) SGValues->edit(SGValues->currentIndex());
}

bool TFormEditRerun::CheckFormatInvoer() {
  for (int Row = 0; Row < SGValues->RowCount(); ++Row)
    for (int Col = 0; Col < 2; ++Col) {
      const QString Text = SGValues->Cells(Col, Row);
      if (Text.isEmpty()) continue;
      long double V;
      if (!TryStrToFloat(ToCore(Text), V)) {
        ShowErrorBox("Invalid input");
        SGValues->SetCurrentCell(Col, Row);
        SGValues->setFocus();
        return false;
      }
      SGValues->SetCells(Col, Row, QString::fromStdString(Format("%.5f", static_cast<double>(V))));
    }
  return true;
}

bool TFormEditRerun::StoreGrid() {
  if (!CheckFormatInvoer()) return false;
  QString Text;
  for (int Row = 0; Row < SGValues->RowCount(); ++Row) {
    const QString X = SGValues->Cells(0, Row);
    const QString Y = SGValues->Cells(1, Row);
    if (!X.isEmpty() && !Y.isEmpty()) Text += ',' + X + ',' + Y;
  }
  if (FSetRerunVar) FSetRerunVar->SetValue(ToCore(Text.mid(1)));
  return true;
}

void TFormEditRerun::done(int Result) {
  if (Result != QDialog::Accepted || !FSetRerunVar) {
    QDialog::done(Result);
    return;
  }
  // What is being typed into a cell counts.
  SGValues->CommitEditor();
  bool Close = false;
  GuardedCall([&] {
    if (!StoreGrid()) return;
    if (!FSetRerunVar->ValidSet()) {
      ShowErrorBox("Invalid input");
      return;
    }
    Close = true;
  });
  if (Close) QDialog::done(Result);
}
