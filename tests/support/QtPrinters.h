#pragma once

#include <ostream>
#include <QString>

// Failure reports show texts as texts, not as arrays of code units.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
