#include "Kvrain.h"

TFormRainfall::TFormRainfall(QWidget* aOwner) : QDialog(aOwner) { setObjectName("FormRainfall"); }
void TFormRainfall::InitRbOptions(int) {}
void TFormRainfall::LoadRainfall() {}
void TFormRainfall::StoreRainfall() {}
