#include "BigTextView.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "WinSupport.h"
#include "platform/FileSys.h"

// ---------------------------------------------------------------- the area

TBigTextArea::TBigTextArea(QWidget* Parent) : QAbstractScrollArea(Parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setBackgroundRole(QPalette::Base);
}

const char* TBigTextArea::Data() const { return FBytes.constData(); }

qsizetype TBigTextArea::Size() const { return FBytes.size(); }

bool TBigTextArea::Load(const QString& FileName) {
  // Read once into one buffer of the file's size (not mapped: a file cut
  // while it is shown must not take the program down).
  QFile File(FileName);
  if (!File.open(QIODevice::ReadOnly)) return false;
  FBytes = File.readAll();
  if (File.error() != QFileDevice::NoError) return false;
  const char* D = Data();
  const qsizetype N = Size();
  FStarts.clear();
  FStarts.push_back(0);
  for (const char* P = D; (P = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(D + N - P))));) {
    ++P;
    const qsizetype Len = static_cast<qsizetype>(P - D) - static_cast<qsizetype>(FStarts.back());
    FLongest = std::max(FLongest, Len);
    if (P == D + N) break;
    FStarts.push_back(static_cast<uint64_t>(P - D));
  }
  FLongest = std::max(FLongest, N - static_cast<qsizetype>(FStarts.back()));
  FStarts.shrink_to_fit();
  UpdateScrollBars();
  viewport()->update();
  return true;
}

QString TBigTextArea::LineText(qsizetype No) const {
  if (No < 0 || No >= LineCount()) return {};
  const qsizetype From = static_cast<qsizetype>(FStarts[static_cast<size_t>(No)]);
  qsizetype To = No + 1 < LineCount() ? static_cast<qsizetype>(FStarts[static_cast<size_t>(No + 1)]) : Size();
  const char* D = Data();
  while (To > From && (D[To - 1] == '\n' || D[To - 1] == '\r')) --To;
  const QByteArray Bytes = QByteArray::fromRawData(D + From, To - From);
  QStringDecoder Utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString Text = Utf8.decode(Bytes);
  if (Utf8.hasError()) Text = QString::fromLatin1(Bytes);
  return Text;
}

int TBigTextArea::LineHeight() const { return std::max(1, fontMetrics().lineSpacing()); }

qsizetype TBigTextArea::TopLine() const { return verticalScrollBar()->value(); }

void TBigTextArea::ScrollToLine(qsizetype No) {
  verticalScrollBar()->setValue(static_cast<int>(std::clamp<qsizetype>(No, 0, LineCount() - 1)));
}

void TBigTextArea::UpdateScrollBars() {
  const int Page = std::max(1, viewport()->height() / LineHeight());
  const qsizetype Max = std::max<qsizetype>(0, LineCount() - Page);
  verticalScrollBar()->setRange(0, static_cast<int>(std::min<qsizetype>(Max, INT32_MAX)));
  verticalScrollBar()->setPageStep(Page);
  verticalScrollBar()->setSingleStep(1);
  const int Width = static_cast<int>(std::min<qsizetype>(FLongest, 100000)) * fontMetrics().horizontalAdvance('0');
  horizontalScrollBar()->setRange(0, std::max(0, Width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance('0'));
}

void TBigTextArea::resizeEvent(QResizeEvent* Event) {
  QAbstractScrollArea::resizeEvent(Event);
  UpdateScrollBars();
}

void TBigTextArea::paintEvent(QPaintEvent*) {
  QPainter P(viewport());
  P.setFont(font());
  const int H = LineHeight(), Ascent = fontMetrics().ascent();
  const int X = 4 - horizontalScrollBar()->value();
  const qsizetype Top = TopLine();
  for (int y = 0, i = 0; y < viewport()->height() && Top + i < LineCount(); y += H, ++i)
    P.drawText(X, y + Ascent, LineText(Top + i));
}

void TBigTextArea::keyPressEvent(QKeyEvent* Event) {
  QScrollBar* V = verticalScrollBar();
  switch (Event->key()) {
    case Qt::Key_Down: V->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Up: V->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_PageDown: V->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    case Qt::Key_PageUp: V->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_Home: V->setValue(0); break;
    case Qt::Key_End: V->setValue(V->maximum()); break;
    default: QAbstractScrollArea::keyPressEvent(Event); return;
  }
  Event->accept();
}

// ---------------------------------------------------------------- the window

TFormBigText::TFormBigText(QWidget* Parent, const std::string& FullName, const QString& Why) : QDialog(Parent) {
  setObjectName("FormBigText");
  setWindowTitle("View - " + QString::fromStdString(FullName));
  auto* Layout = new QVBoxLayout(this);
  auto* Note = new QLabel(Why);
  Note->setObjectName("LblBigText");
  Note->setWordWrap(true);
  Layout->addWidget(Note);
  FArea = new TBigTextArea;
  FArea->setObjectName("BigText");
  Layout->addWidget(FArea, 1);
  auto* Buttons = new QHBoxLayout;
  auto* Top = new QPushButton("&Top");
  Top->setObjectName("BtnTop");
  auto* Bottom = new QPushButton("&Bottom");
  Bottom->setObjectName("BtnBottom");
  auto* Close = new QPushButton("&Close");
  Close->setObjectName("BtnClose");
  Buttons->addWidget(Top);
  Buttons->addWidget(Bottom);
  Buttons->addStretch(1);
  Buttons->addWidget(Close);
  Layout->addLayout(Buttons);
  connect(Top, &QPushButton::clicked, this, [this] { FArea->ScrollToLine(0); });
  connect(Bottom, &QPushButton::clicked, this, [this] { FArea->ScrollToLine(FArea->LineCount()); });
  connect(Close, &QPushButton::clicked, this, &QDialog::reject);
  resize(900, 600);
  FLoaded = FArea->Load(QFile::decodeName(QByteArray::fromStdString(MapFileName(FullName))));
}
