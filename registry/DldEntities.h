#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace tessel {

// Entity names as the file spells them, kept as the undecoded bytes of all
// names in one block: a file of millions of declarations costs a few bytes
// per name, and a name is decoded only when it is shown.
class EntityNames
{
public:
    qsizetype size() const { return m_ends.size(); }
    bool isEmpty() const { return m_ends.isEmpty(); }
    QString at(qsizetype index) const;
    // The name's bytes as the file holds them, in Windows-1252.
    QByteArrayView encodedAt(qsizetype index) const;
    QStringList toList() const;

    void append(QByteArrayView name);

private:
    QByteArray m_bytes;
    QList<qsizetype> m_ends; // where each name ends in m_bytes
};

// The entities a DLD file declares, in the order of their declarations, and
// the system's description of the failure that stopped the reading early
// (empty when the whole file was read).
struct DldEntities
{
    EntityNames names;
    QString errorText;

    bool failed() const { return !errorText.isEmpty(); }
};

// Reads the entity declarations of a DLD file, a Windows-1252 text file; a
// UTF-8 byte-order mark that an editor put at its start is skipped.
// A line ends at a carriage return, or at a carriage return followed by a line
// feed; a line feed alone does not end a line. A line declares an entity when,
// with blanks, TABs, line feeds and carriage returns trimmed from both ends,
// its first ten characters read "ENTITY DLD" in any letter case. The name is
// the rest of the line from its twelfth character on (the eleventh is a
// separator), trimmed the same way. Duplicates and empty names are kept.
DldEntities ReadDldEntities(const QString &path);

// The same for the bytes of an open device, read from its current position.
DldEntities ReadDldEntities(QIODevice &device);

} // namespace tessel
