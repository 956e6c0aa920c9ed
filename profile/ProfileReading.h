#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

#include "platform/Result.h"
#include "profile/WriteResult.h"

// What the store's reads hand back for what a document holds: quotes taken
// off values, defaults tidied, lists joined, and the limits of the read buffer.
namespace tessel {

class ProfileCodec;
class ProfileDocument;

// Ends each name of a list text.
inline constexpr QChar ListSeparator = QChar(0);

// The size of the largest read buffer, in characters: a text that fills it
// reads as empty.
inline constexpr qsizetype ReadBufferLimit = 32000;

// Whether a value of this length reads back whole: a longer one fills the
// largest buffer and reads as empty.
bool FitsReadBuffer(QStringView value);

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

// Whether text can be written to a file of codec's encoding unchanged, or the
// character the encoding has no code for.
Result<void> CheckEncodable(const QString &text, const ProfileCodec &codec);

// How exactly a stored value must read back.
enum class ReadBack {
    // The file carries it: one line, in the file's encoding, within the
    // largest read buffer. Reading may still remove blanks and quotes, as the
    // single-key writes of the store allow.
    Carried,
    // Reading gives back exactly what was written: besides, no blank at an
    // end and no enclosing quotes. The rule of every record the program saves.
    Exactly,
};

// Whether value, written as the text after "=" of a key line in a file of
// codec's encoding, reads back as readBack asks, or why not (a NUL or line
// break, a length the largest read buffer does not hold, a character the
// encoding lacks, blanks at an end or enclosing quotes that reading removes).
// The failure's key is empty; its detail says why in words.
WriteResult CheckStoredValue(QStringView value, const ProfileCodec &codec,
                             ReadBack readBack = ReadBack::Exactly);

} // namespace tessel
