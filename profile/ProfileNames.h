#pragma once

#include <QString>
#include <QStringView>

#include "platform/Result.h"

// Rules on the names and values of profile lines that reading and writing share.
namespace tessel {

// Blank, TAB, vertical tab and form feed: what surrounds names and values
// without being part of them. Not the product's WhiteSpaceChars: a profile
// line cannot hold a line break (it would end the line), and a vertical tab
// or form feed around a name is dropped by the readers of the file as well.
bool IsProfileBlank(QChar c);
QStringView TrimProfileBlanks(QStringView text);

// Whether text holds a carriage return, a line feed or a NUL, which would
// end or break the line it is written on.
bool HoldsLineBreak(QStringView text);

// Whether key=value can be written to section without breaking the file's
// structure, or why not: a line break or NUL anywhere, an empty section name,
// "]" in a section name, "=" in a key, a key that would read back as a
// comment (";") or a section line ("["). Names are judged as they are
// written, with surrounding blanks removed.
Result<void> CheckEntryNames(QStringView section, QStringView key, QStringView value);
Result<void> CheckSectionName(QStringView section);

} // namespace tessel
