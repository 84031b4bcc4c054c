#include "DxInpMemo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusTipEvent>
#include <QValidator>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/ScopedValue.h"
#include "platform/Handlers.h"

namespace {
const char* const CancelProperty = "KrlCancelButton";

// Focus that comes and goes with the window (a message box, another window,
// a menu) is no entering or leaving of the field.
bool WindowFocusChange(Qt::FocusReason Reason) {
  return Reason == Qt::ActiveWindowFocusReason || Reason == Qt::PopupFocusReason;
}

// Between the two parts of a setter's message: line feed, carriage return.
const char* const SetterSep = "\n\r";
// Between the two parts of an exit message: carriage return, line feed.
const char* const ExitSep = "\r\n";

// Lets through what the field takes, as the user types or pastes: number
// characters only (a comma in a decimal field becomes the decimal point), and
// no more than MaxTyped of them. Whether the text is a number within the
// range is checked when the focus leaves the field.
class TNumberValidator : public QValidator {
 public:
  explicit TNumberValidator(TDxNumberMemo* Field) : QValidator(Field), FField(Field) {}
  State validate(QString& Input, int& /*Pos*/) const override {
    if (FField->TakesDecimalComma()) Input.replace(QLatin1Char(','), QLatin1Char('.'));
    // The field's text before this change (the line control has already
    // taken the new one when it asks).
    const bool Grown = Input.size() > FField->LastText().size();
    for (const QChar C : Input)
      if (!FField->IsValidChar(C)) {
        if (Grown) FField->Refused();
        return Invalid;
      }
    if (Grown && Input.size() > TDxNumberMemo::MaxTyped) {
      FField->Refused();
      return Invalid;
    }
    return Acceptable;
  }

 private:
  TDxNumberMemo* FField;
};
}  // namespace

void MarkAsCancelButton(QAbstractButton* Button) { Button->setProperty(CancelProperty, true); }

QString FloatToGeneral(double Value) {
  if (std::isnan(Value)) return QStringLiteral("NAN");
  if (std::isinf(Value)) return Value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (Value == 0) return QStringLiteral("0");
  // 15 significant digits and the decimal exponent after rounding.
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, "%.14e", std::fabs(Value));
  std::string Digits;
  const char* P = Buf;
  for (; *P && *P != 'e'; ++P)
    if (*P != '.') Digits += *P;
  const int Exp = *P == 'e' ? std::atoi(P + 1) : 0;
  while (Digits.size() > 1 && Digits.back() == '0') Digits.pop_back();

  std::string Text = Value < 0 ? "-" : "";
  if (Exp < -5 || Exp >= 15) {
    Text += Digits.substr(0, 1);
    if (Digits.size() > 1) Text += "." + Digits.substr(1);
    Text += "E" + std::to_string(Exp);
  } else if (Exp >= 0) {
    const size_t IntLen = static_cast<size_t>(Exp) + 1;
    if (Digits.size() <= IntLen) {
      Text += Digits + std::string(IntLen - Digits.size(), '0');
    } else {
      Text += Digits.substr(0, IntLen) + "." + Digits.substr(IntLen);
    }
  } else {
    Text += "0." + std::string(static_cast<size_t>(-Exp - 1), '0') + Digits;
  }
  return QString::fromLatin1(Text.c_str());
}

// ---- the shared behaviour

TDxNumberMemo::TDxNumberMemo(QWidget* Owner) : QLineEdit(Owner) {
  setValidator(new TNumberValidator(this));
  connect(this, &QLineEdit::textChanged, this, [this](const QString& T) { FLastText = T; });
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // About ten digits wide, whatever the font; the layouts place it.
  const int W = fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16;
  setMinimumWidth(W);
  setMaximumWidth(W + W / 2);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString TDxNumberMemo::FirstLine() const {
  const QString T = text();
  const qsizetype End = T.indexOf(QRegularExpression("[\r\n]"));
  return End < 0 ? T : T.left(End);
}

void TDxNumberMemo::Refused() const {
  if (!hasFocus()) return;
  QApplication::beep();
  QStatusTipEvent Tip(TakesText() + QString(" (at most %1 characters)").arg(MaxTyped));
  QApplication::sendEvent(const_cast<TDxNumberMemo*>(this), &Tip);
}

// The field is entered when it becomes the focused control of its window,
// also when the window is shown; it stays entered while a message box or
// another window has the focus, and is left when another control of its
// window takes the focus.
void TDxNumberMemo::focusInEvent(QFocusEvent* Event) {
  QLineEdit::focusInEvent(Event);
  if (FEntered) return;
  FEntered = true;
  if (FInExit) return;  // taking the focus back after a failed check
  GuardedCall([this] { DoEnter(); });
}

void TDxNumberMemo::focusOutEvent(QFocusEvent* Event) {
  QLineEdit::focusOutEvent(Event);
  if (FInExit || WindowFocusChange(Event->reason())) return;
  FEntered = false;
  GuardedCall([this] { DoExit(); });
}

void TDxNumberMemo::DoEnter() { TakePrevValue(); }

std::string TDxNumberMemo::CaptionLine() const {
  // The caption is the label whose buddy the field is.
  for (const QLabel* L : window()->findChildren<QLabel*>()) {
    if (L->buddy() != this) continue;
    QString Text = L->text();
    Text.remove(QRegularExpression("&(?!&)"));
    Text = Text.trimmed();
    if (Text.endsWith(':')) Text.chop(1);
    if (!Text.isEmpty()) return ExitSep + ("Field: " + ToCore(Text));
  }
  return {};
}

void TDxNumberMemo::DoExit() {
  if (!FbCheckInput || FInExit) return;
  const QWidget* Now = QApplication::focusWidget();
  if (Now && Now != this && Now->property(CancelProperty).toBool()) return;
  const std::string Message = CheckText();
  if (!Message.empty()) {
    // Restore and refocus without a second check; the caller's guard shows
    // the error after that.
    {
      const TScopedValue<bool> InExit(FInExit, true);
      RestorePrevValue();
      if (isVisible()) setFocus(Qt::OtherFocusReason);
    }
    throw EPlainError(Message + CaptionLine());
  }
  emit Exit();
}

// ---- whole numbers

TDxIntMemo::TDxIntMemo(QWidget* Owner) : TDxNumberMemo(Owner) {}

void TDxIntMemo::UpdateHint() {
  SetHint(this,
          QString::fromStdString(Format("Enter integer value between %d and %d", FiMinimum, FiMaximum)));
}

void TDxIntMemo::SetiMinimum(int Value) {
  if (Value > FiMaximum)
    throw EPlainError(Format("Invalid value: %d", Value) + SetterSep +
                      Format("iMinumum <= iMaximum [%d]", FiMaximum));
  FiMinimum = Value;
  UpdateHint();
}

void TDxIntMemo::SetiMaximum(int Value) {
  if (Value < FiMinimum)
    throw EPlainError(Format("Invalid value: %d", Value) + SetterSep +
                      Format("iMaximum >= iMinimum [%d]", FiMinimum));
  FiMaximum = Value;
  UpdateHint();
}

void TDxIntMemo::SetiDefault(int Value) {
  if (Value < FiMinimum || Value > FiMaximum)
    throw EPlainError(Format("Invalid value: %d", Value) + SetterSep +
                      Format("iMinimum [%d] <= iDefault >= iMaximum [%d]", FiMinimum, FiMaximum));
  FiDefault = Value;
}

int TDxIntMemo::iValue() {
  int V;
  if (TryStrToInt(ToCore(FirstLine()), V)) return V;
  setText(QString::number(FiDefault));
  return FiDefault;
}

void TDxIntMemo::SetiValue(int Value) { setText(QString::number(Value)); }

void TDxIntMemo::Reset(int iDef, int iMin, int iMax) {
  if (!(iMin <= iDef && iDef <= iMax)) return;
  FiMinimum = -2147483647;
  SetiMaximum(iMax);
  SetiMinimum(iMin);
  SetiDefault(iDef);
  SetiValue(iDef);
}

bool TDxIntMemo::IsValidChar(QChar Ch) const { return Ch == '+' || Ch == '-' || (Ch >= '0' && Ch <= '9'); }

QString TDxIntMemo::TakesText() const { return "This field takes whole numbers: the digits 0-9 and a sign"; }

void TDxIntMemo::TakePrevValue() { iPrevValue = iValue(); }
void TDxIntMemo::RestorePrevValue() { SetiValue(iPrevValue); }

std::string TDxIntMemo::CheckText() const {
  const std::string T = ToCore(FirstLine());
  int V;
  if (!TryStrToInt(T, V))
    return "Invalid value: " + T + ExitSep + Format("Allowed range: %d - %d", FiMinimum, FiMaximum);
  if (V < FiMinimum || V > FiMaximum)
    return "Value out of range:" + T + ExitSep + Format("Allowed range: %d - %d", FiMinimum, FiMaximum);
  return {};
}

// ---- decimals

TDxFloatMemo::TDxFloatMemo(QWidget* Owner) : TDxNumberMemo(Owner) {}

void TDxFloatMemo::UpdateHint() {
  SetHint(this,
          QString::fromStdString(Format("Enter float value between %.2f and %.2f", FfMinimum, FfMaximum)));
}

void TDxFloatMemo::SetfMinimum(double Value) {
  if (Value > FfMaximum)
    throw EPlainError(Format("Invalid value: %.2f", Value) + SetterSep +
                      Format("fMinumum <= fMaximum [%.2f]", FfMaximum));
  FfMinimum = Value;
  UpdateHint();
}

void TDxFloatMemo::SetfMaximum(double Value) {
  if (!(Value >= FfMinimum))
    throw EPlainError(Format("Invalid value: %.2f", Value) + SetterSep +
                      Format("iMaximum >= iMinimum [%.2f]", FfMinimum));
  FfMaximum = Value;
  UpdateHint();
}

void TDxFloatMemo::SetfDefault(double Value) {
  if (!(Value >= FfMinimum) || Value > FfMaximum)
    throw EPlainError(Format("Invalid value: %.2f", Value) + SetterSep +
                      Format("fMinimum [%.2f] <= fDefault >= fMaximum [%.2f]", FfMinimum, FfMaximum));
  FfDefault = Value;
}

double TDxFloatMemo::fValue() {
  long double V;
  if (TryStrToFloat(ToCore(FirstLine()), V)) return static_cast<double>(V);
  SetfValue(FfDefault);
  return FfDefault;
}

void TDxFloatMemo::SetfValue(double Value) { setText(FloatToGeneral(Value)); }

void TDxFloatMemo::Reset(double fDef, double fMin, double fMax) {
  if (!(fMin <= fDef && fDef <= fMax)) return;
  FfMinimum = -DBL_MAX;
  SetfMaximum(fMax);
  SetfMinimum(fMin);
  SetfDefault(fDef);
  SetfValue(fDef);
}

bool TDxFloatMemo::IsValidChar(QChar Ch) const {
  return Ch == '+' || Ch == '-' || Ch == '.' || Ch == 'E' || Ch == 'e' || (Ch >= '0' && Ch <= '9');
}

QString TDxFloatMemo::TakesText() const {
  return "This field takes decimal numbers: the digits 0-9, a sign, a decimal point or comma, and E for an "
         "exponent";
}

void TDxFloatMemo::TakePrevValue() { fPrevValue = fValue(); }
void TDxFloatMemo::RestorePrevValue() { SetfValue(fPrevValue); }

std::string TDxFloatMemo::CheckText() const {
  const std::string T = ToCore(FirstLine());
  long double L;
  if (!TryStrToFloat(T, L))
    return "Invalid value: " + T + ExitSep + Format("Allowed range: %.2f - %.2f", FfMinimum, FfMaximum);
  const double V = static_cast<double>(L);
  if (V < FfMinimum || V > FfMaximum)
    return "Value out of range:" + T + ExitSep + Format("Allowed range: %.2f - %.2f", FfMinimum, FfMaximum);
  return {};
}
