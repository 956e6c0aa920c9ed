#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// What the store's reads hand back for what a document holds: quotes taken
// off values, defaults tidied, lists joined, and the limits of the read buffer.
namespace tessel {

class ProfileDocument;

// Ends each name of a list text.
inline constexpr QChar ListSeparator = QChar(0);

// The size of the largest read buffer, in characters: a text that fills it
// reads as empty.
inline constexpr qsizetype ReadBufferLimit = 32000;

// The longest value that a read gives back whole: a read cuts a value at
// the buffer size less one character, and one as long as that fills the
// buffer and reads as empty.
inline constexpr qsizetype LongestWholeValue = ReadBufferLimit - 2;

// A value enclosed in a pair of the same quote, double or single, without
// them: a view of value.
QStringView StripQuotes(QStringView value);

// What a read gives for a value found in a document, or for the default
// when there is none.
QString ReadValue(const ProfileDocument &document, const std::optional<QString> &value,
                  QStringView defaultValue);

// The value of key in section, or the default (trailing blanks removed,
// quotes stripped) when there is none. An empty key names a key line
// without a name ("=value").
QString LookupString(const ProfileDocument &document, QStringView section, QStringView key,
                     QStringView defaultValue);

// The store's list form: each name followed by a NUL. A list that does not
// fit the largest read buffer, or whose first name is empty, reads as the
// empty list.
QString JoinNameList(const QStringList &names);

} // namespace tessel
