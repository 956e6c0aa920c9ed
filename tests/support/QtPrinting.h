#pragma once

#include <ostream>

#include <QString>

// Texts in failure messages as text rather than as arrays of code units.
// QStringList prints as a list of such texts.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
