#pragma once
// Validated numeric input fields: TDxIntMemo for whole numbers, TDxFloatMemo
// for decimals. Each holds a default, a minimum and a maximum, shows the
// allowed range as its hint, lets only number characters be typed, and checks
// its text when the focus leaves it: a bad value is replaced by the value the
// field had when it was entered, the field takes the focus back and the error
// goes to the application's error box. Only a valid value raises Exit().

#include <QLineEdit>
#include <QString>
#include <string>

class QAbstractButton;

// A push button marked as its window's cancel button: leaving a field for it
// runs no check (so Cancel always works).
void MarkAsCancelButton(QAbstractButton* Button);

// The number as the fields write it: general format with at most 15
// significant digits, trailing zeros dropped, the full stop as decimal
// separator; exponent form (1E-6, 1.5E20) below 0.00001 in size or from
// 1E15 on.
QString FloatToGeneral(double Value);

// What both fields share: the check on leaving, the key filter, the guard
// that keeps the error box and the refocus from starting a second check.
class TDxNumberMemo : public QLineEdit {
  Q_OBJECT
 public:
  explicit TDxNumberMemo(QWidget* Owner = nullptr);

  bool bCheckInput() const { return FbCheckInput; }
  void SetbCheckInput(bool Value) { FbCheckInput = Value; }

  // The focus-enter step: the previous value becomes the current value (a
  // text that is no number turns into the default).
  void DoEnter();
  // The focus-exit step: with bCheckInput, checks the first line of the
  // text. A bad value is restored to the previous value, the field takes the
  // focus back (when visible) and EPlainError is raised with the message;
  // a good value raises Exit(). Does nothing when bCheckInput is false or
  // the focus went to a cancel button.
  void DoExit();
  // Whether a typed character is let through to the field.
  virtual bool IsValidChar(QChar Ch) const = 0;
  // Whether a typed comma stands for the decimal point.
  virtual bool TakesDecimalComma() const { return false; }
  // What the field takes, said in the status bar when a character is refused.
  virtual QString TakesText() const = 0;
  // The most characters a user may type; a value the program writes keeps
  // all its digits.
  static constexpr int MaxTyped = 10;
  // Says that typed input was refused: a beep, and the status bar tells what
  // the field takes (only while the user types into it).
  void Refused() const;
  // The text as it was before the change being made.
  const QString& LastText() const { return FLastText; }
  // The first line of the text.
  QString FirstLine() const;
  // A line break and the caption of the field (its label's text), so that an
  // error names the field; empty for a field without a label.
  std::string CaptionLine() const;

 signals:
  // The field's exit event: the focus left it with a valid value.
  void Exit();

 protected:
  void focusInEvent(QFocusEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

  // Taking the current value as the previous one / putting it back.
  virtual void TakePrevValue() = 0;
  virtual void RestorePrevValue() = 0;
  // Empty when the first line is a number within the range, else the
  // message of the failure.
  virtual std::string CheckText() const = 0;

 private:
  QString FLastText;
  bool FbCheckInput = true;
  bool FInExit = false;
  bool FEntered = false;
};

class TDxIntMemo : public TDxNumberMemo {
  Q_OBJECT
 public:
  explicit TDxIntMemo(QWidget* Owner = nullptr);

  int iDefault() const { return FiDefault; }
  int iMinimum() const { return FiMinimum; }
  int iMaximum() const { return FiMaximum; }
  // The testing setters: a value that does not fit fails with EPlainError
  // and changes nothing. The range setters update the hint.
  void SetiDefault(int Value);
  void SetiMinimum(int Value);
  void SetiMaximum(int Value);

  // The first line as a number; a text that is none is replaced by the
  // default, which is the answer.
  int iValue();
  void SetiValue(int Value);
  // New default and range, and the text shows the default; a triple with
  // iDef outside iMin..iMax changes nothing.
  void Reset(int iDef, int iMin, int iMax);

  bool IsValidChar(QChar Ch) const override;
  QString TakesText() const override;

 protected:
  void TakePrevValue() override;
  void RestorePrevValue() override;
  std::string CheckText() const override;

 private:
  void UpdateHint();
  int FiMinimum = 0;
  int FiMaximum = 0;
  int FiDefault = 0;
  int iPrevValue = 0;
};

class TDxFloatMemo : public TDxNumberMemo {
  Q_OBJECT
 public:
  explicit TDxFloatMemo(QWidget* Owner = nullptr);

  double fDefault() const { return FfDefault; }
  double fMinimum() const { return FfMinimum; }
  double fMaximum() const { return FfMaximum; }
  void SetfDefault(double Value);
  void SetfMinimum(double Value);
  void SetfMaximum(double Value);

  double fValue();
  void SetfValue(double Value);
  void Reset(double fDef, double fMin, double fMax);

  bool IsValidChar(QChar Ch) const override;
  bool TakesDecimalComma() const override { return true; }
  QString TakesText() const override;

 protected:
  void TakePrevValue() override;
  void RestorePrevValue() override;
  std::string CheckText() const override;

 private:
  void UpdateHint();
  double FfMinimum = 0;
  double FfMaximum = 0;
  double FfDefault = 0;
  double fPrevValue = 0;
};
