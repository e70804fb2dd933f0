#pragma once

#include <QString>

// The kinds of field the datasets tell apart; their names are the ones error messages show.
enum class FieldKind { WideString, Integer, AutoInc, DateTime, Float, Boolean, Blob, Unknown };

QString fieldKindName(FieldKind kind);

// Whether a value of kind `actual` may stand where the program expects `expected`.
bool fieldKindFits(FieldKind expected, FieldKind actual);
