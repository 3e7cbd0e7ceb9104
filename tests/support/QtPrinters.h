#pragma once

#include <QString>

#include <ostream>

// GoogleTest prints QString (and lists of them) as text, in values and in messages.
inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text;
}
