#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text from outside (file names, settings values) is UTF-8 by convention only: an old
// collection may hold Latin-1 bytes. DecodeRawText reads the valid UTF-8 as characters and
// keeps each byte that is not as a lone surrogate U+DC80 to U+DCFF, which no valid text
// holds; EncodeRawText gives those bytes back. The pair round-trips any bytes exactly.
QString DecodeRawText(QByteArrayView bytes);
QByteArray EncodeRawText(QStringView text);

// The text to show for such a name: each kept byte as its Latin-1 character, the code page
// of the old collections that hold them.
QString ReadableRawText(QStringView text);
