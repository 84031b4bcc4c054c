#pragma once
// The rainfall options dialog: where the model takes its rainfall from.

#include <QDialog>

class TFormRainfall : public QDialog {
  Q_OBJECT
public:
  explicit TFormRainfall(QWidget* aOwner);
  // Offers the options the weather format with this number allows.
  void InitRbOptions(int FormatNr);
  // Shows the session's rainfall settings / stores the dialog into the session.
  void LoadRainfall();
  void StoreRainfall();
};
