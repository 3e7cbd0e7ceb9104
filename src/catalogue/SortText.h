#pragma once

#include <QStringView>

// Orders two table texts: character by character over the shorter length, with only the
// ASCII letters a to z folded onto A to Z (no locale), the first difference deciding by the
// character's Windows-1252 byte (characters outside that code page after all of them, by
// code point), and a text that starts another coming first. Returns <0, 0 or >0.
int CompareSortText(QStringView a, QStringView b) noexcept;
