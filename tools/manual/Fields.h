#pragma once
// The manual's tables of session fields and rerun variables, made from the
// variable catalogue and the session's own defaults and ranges when the
// manual is built, so that the manual says what the program does.

#include <QString>

// Loads the variable catalogue (KRL_VAR.csv) and resets the session's parts
// from it. EManualError when the file cannot be read.
void LoadFieldSources(const QString& CatalogueFile);

// "@fields Page": the table of the fields of a session page or dialog
// (General, Timer, Crop, Weather, Soil, Nutrients, Reruns, Rainfall).
QString FieldTableHtml(const QString& Page);

// "@variables Code": the catalogue's variables of one file code (CF, SF, TD,
// SD) with range, type and meaning.
QString VariableTableHtml(const QString& FileCode);
