#pragma once
// The manual's tables of session fields and rerun variables, made from the
// session's field table, the variable catalogue and a session with its
// defaults when the manual is built, so that the manual says what the
// program does.

#include <QString>

// Loads the variable catalogue (KRL_VAR.csv) and makes a session with its
// defaults, on the DIRECT.INI beside the catalogue. EManualError when the
// file cannot be read.
void LoadFieldSources(const QString& CatalogueFile);

// "@fields Page": the table of the fields of a session page or dialog
// (General, Timer, Crop, Weather, Soil, Nutrients, Reruns, Rainfall).
QString FieldTableHtml(const QString& Page);

// "@variables Code": the catalogue's variables of one file code (CF, SF, TD,
// SD) with range, type and meaning.
QString VariableTableHtml(const QString& FileCode);
