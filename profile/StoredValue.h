#pragma once

#include <QString>
#include <QStringView>

#include "platform/Result.h"
#include "profile/WriteResult.h"

// The rule every write of a value follows: what is stored must read back.
namespace tessel {

class ProfileCodec;

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
