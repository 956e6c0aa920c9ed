#pragma once

#include <QString>

// Small operations on texts.
namespace tessel {

// Blank, TAB, line feed and carriage return: what is trimmed from a typed
// record name and from the lines and names of a DLD file. The blanks of
// profile lines are another set (IsProfileBlank in profile/ProfileNames.h).
inline const QString WhiteSpaceChars = QStringLiteral(" \t\n\r");

// Removes every character of set from both ends of text. The dialogs' OK
// rules pass the blank alone: they strip blanks only, not TABs or breaks.
QString TrimChars(const QString &text, const QString &set);
QString TrimWhiteSpace(const QString &text);

// The part of text before the first separator; text keeps the part after it.
// Without a separator the result is all of text and text becomes empty.
QString NextToken(QString &text, const QString &separator);

} // namespace tessel
