#include "FormParts.h"

#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <algorithm>

#include "DxGrid.h"
#include "QtHandlers.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "output/OutDet.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
class TResultTabBar : public QTabBar {
 public:
  TResultTabBar(int Width, QWidget* Parent) : QTabBar(Parent), FWidth(Width) {}

 protected:
  QSize tabSizeHint(int Index) const override {
    QSize S = QTabBar::tabSizeHint(Index);
    S.setWidth(std::max(S.width(), ScaledWidth(this, FWidth)));
    return S;
  }

 private:
  int FWidth;
};
}  // namespace

TResultPages::TResultPages(int TabWidth, QWidget* Parent) : QTabWidget(Parent) {
  setTabBar(new TResultTabBar(TabWidth, this));
}

QString NameAndFile(const std::string& Name, const std::string& File) {
  if (File.empty()) return FromCore(Name);
  return FromCore(Name + " (" + ShortenPath(File, 50) + ")");
}

void ShowNameAndFile(QLabel* Label, const std::string& Name, const std::string& File) {
  Label->setText(NameAndFile(Name, File));
  // The file as it stands: a hint text of its own, not split at a bar.
  Label->setToolTip(FromCore(File));
  Label->setStatusTip(FromCore(File));
}

int ScaledWidth(const QWidget* W, int Width) {
  // The design's widths suit a font whose figures are 6 pixels wide.
  const int Figure = W->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  return Figure <= 6 ? Width : (Width * Figure + 3) / 6;
}

int TableColWidth(const QWidget* W, int Width) {
  return std::max(ScaledWidth(W, Width), W->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")) + 8);
}

void FillTable(TDxStringGrid* Grid, int Cols, const std::vector<QStringList>& Rows) {
  QHeaderView* H = Grid->horizontalHeader();
  const bool Keep = Grid->ColCount() == Cols;
  std::vector<int> Widths;
  std::vector<bool> Hidden;
  if (Keep)
    for (int C = 0; C < H->count(); ++C) {
      Widths.push_back(H->sectionSize(C));
      Hidden.push_back(H->isSectionHidden(C));
    }
  Grid->SetAll(Cols, Rows);
  if (Keep)
    for (int C = 0; C < H->count() && C < static_cast<int>(Widths.size()); ++C) {
      H->resizeSection(C, Widths[static_cast<size_t>(C)]);
      H->setSectionHidden(C, Hidden[static_cast<size_t>(C)]);
    }
}

QStringList RowTexts(const TOutputLine& Line, int From, int Count) {
  QStringList L;
  L.reserve(Count);
  for (int k = 0; k < Count; ++k) {
    const int No = From + k;
    L << (No >= 1 && No <= TOutputLine::MaxValues ? FromCore(Line.Value(No).Str()) : QString());
  }
  return L;
}

void SetMinimumRows(TDxStringGrid* Grid, int Rows) {
  const int HeaderLines = std::max(1, Grid->FixedRows());
  const int Header =
      std::max(Grid->horizontalHeader()->sizeHint().height(), HeaderLines * Grid->fontMetrics().height() + 8);
  Grid->setMinimumHeight(Header + Rows * Grid->verticalHeader()->defaultSectionSize() +
                         Grid->horizontalScrollBar()->sizeHint().height() + 2 * Grid->frameWidth());
}

void LayOutResultWindow(QDialog* Window, QLayout* Content, QSize Minimum, QSize Initial) {
  auto* Outer = new QHBoxLayout(Window);
  Outer->addLayout(Content);
  // Struts keep the window at its minimum size; the layout makes it larger
  // where the controls need more.
  const QMargins M = Outer->contentsMargins();
  if (auto* Box = qobject_cast<QBoxLayout*>(Content)) Box->addStrut(Minimum.width() - M.left() - M.right());
  Outer->addStrut(Minimum.height() - M.top() - M.bottom());
  Outer->activate();
  Window->resize(Window->minimumSize().expandedTo(Initial));
  if (const QScreen* S = Window->screen())
    Window->move(S->availableGeometry().center() - Window->rect().center());
}

TKvFileManager& SessionFiles() {
  if (!TheSession) throw EKvError("There is no session: its output is unknown");
  return TheSession->FileManager();
}

QLabel* NewLabel(QWidget* Parent, const QString& Text, const char* Name) {
  auto* L = new QLabel(Text, Parent);
  L->setTextFormat(Qt::PlainText);
  if (Name) L->setObjectName(QString::fromLatin1(Name));
  return L;
}

QLabel* NewValue(QWidget* Parent, const char* Name, bool Long) {
  QLabel* L = NewLabel(Parent, QString(), Name);
  L->setTextInteractionFlags(Qt::TextSelectableByMouse);
  L->setMinimumWidth(L->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
  if (Long) L->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return L;
}

QComboBox* NewSelector(QWidget* Parent, const char* Name) {
  auto* C = new QComboBox(Parent);
  C->setObjectName(QString::fromLatin1(Name));
  C->setEditable(false);
  C->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  C->setMinimumContentsLength(10);
  return C;
}

QPushButton* NewButton(const QString& Caption, const char* Name) {
  auto* B = new QPushButton(Caption);
  B->setObjectName(QString::fromLatin1(Name));
  B->setAutoDefault(false);
  return B;
}

QHBoxLayout* NewButtonRow(std::initializer_list<QWidget*> Left, QWidget* Right) {
  auto* Row = new QHBoxLayout;
  for (QWidget* W : Left) Row->addWidget(W);
  Row->addStretch(1);
  Row->addWidget(Right);
  return Row;
}

TDxStringGrid* NewTable(QWidget* Parent, const char* Name, int ColWidth, int FixedRows) {
  auto* G = new TDxStringGrid(Parent);
  G->setObjectName(QString::fromLatin1(Name));
  G->SetFixedRows(FixedRows);
  G->SetFixedCols(0);
  G->SetDefaultColWidth(TableColWidth(G, ColWidth));
  G->SetDefaultRowHeight(18);
  G->SetRowSelect(true);
  G->setTextElideMode(Qt::ElideNone);
  return G;
}

void SetReadOnlyFieldStyle(QWidget* Field) {
  QPalette P = Field->palette();
  P.setColor(QPalette::Base, QColor(0xE0, 0xFF, 0xFF));
  P.setColor(QPalette::Disabled, QPalette::Text,
             QApplication::palette().color(QPalette::Active, QPalette::Text));
  Field->setPalette(P);
}
