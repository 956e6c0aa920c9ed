#pragma once

#include "profile/ProfileCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

namespace tessel {

// A key and the value to write under it.
struct ProfileEntry
{
    QString key;
    QString value;
};

// One profile file, parsed: its lines, the sections they form, and lookups by
// name. The bytes of every line are kept as they were read; an edit gives the
// file's new bytes, in which only the lines it touches differ.
//
// The lines before the first section line form a section without a name. A
// section name or key name given by a caller is first trimmed of blanks and
// put through the file's code page; names then match without regard to case,
// and the first section and the first key of a name win.
class ProfileDocument
{
public:
    // The document of a file that does not exist.
    ProfileDocument();
    explicit ProfileDocument(QByteArray bytes);
    // A part of a file of encoding: whole lines of it, without the file's
    // byte-order mark. New lines take lineBreak, or, when it is empty, the
    // part's own first line break, as a whole file's new lines do.
    ProfileDocument(QByteArray part, ProfileCodec::Encoding encoding, QByteArray lineBreak);

    const QByteArray &bytes() const { return m_bytes; }
    const ProfileCodec &codec() const { return m_codec; }
    // The line break that new lines take.
    const QByteArray &lineBreak() const { return m_lineBreak; }
    // The size of the byte-order mark the bytes start with.
    qsizetype markSize() const { return m_markSize; }

    // The byte range of each section: the lines before the first section
    // line first (the nameless part, which may be empty), then each section
    // from its section line up to the next, with its name as the file
    // spells it, blanks removed.
    struct SectionSpan
    {
        QString name;
        qsizetype from = 0;
        qsizetype to = 0;
    };
    std::vector<SectionSpan> sectionSpans() const;

    // The sections of a file, as sectionSpans() gives them, with the file's
    // encoding and the line break its new lines take. A Windows-1252 file is
    // scanned for its section lines (ScanSectionLines) without being parsed,
    // another one parsed a piece of whole lines at a time (UTF-8 decoding
    // drops a byte-order mark at the start of a line). Either way a large
    // file is never held parsed all at once.
    struct SectionScan
    {
        ProfileCodec codec;
        qsizetype markSize = 0;
        QByteArray lineBreak;
        std::vector<SectionSpan> spans;
    };
    static SectionScan ScanSections(const QByteArray &bytes);
    // Each section line of a Windows-1252 file (it has no byte-order mark),
    // in file order, as the parser finds it from the bytes alone: a line ends
    // at each carriage return and line feed, and a section line is one whose
    // first character after blanks is "[" and that holds a "]" after it. The
    // name runs from the "[" to the last "]", blanks removed.
    struct SectionLine
    {
        qsizetype start = 0;
        qsizetype nameFrom = 0;
        qsizetype nameTo = 0;
    };
    static void ScanSectionLines(const QByteArray &bytes,
                                 const std::function<void(const SectionLine &)> &found);
    // The name under which a section is looked up in a file of codec's
    // encoding: trimmed, put through its code page and case-folded.
    static QString LookupName(const ProfileCodec &codec, QStringView section);

    // The value of a key line, blanks at both ends removed; nothing when the
    // section or key is missing or the key's line holds no "=".
    std::optional<QString> value(QStringView section, QStringView key) const;
    // The names of the section's key lines that hold "=", in file order.
    QStringList keyNames(QStringView section) const;
    // Every named section in file order, with the value of key as value()
    // gives it for the section's name: a list that reads one key of every
    // section in a single pass.
    QList<std::pair<QString, std::optional<QString>>> sectionValues(QStringView key) const;
    // The section's keys that hold "=", in file order, with their values as
    // value() gives them.
    QList<ProfileEntry> entries(QStringView section) const;
    // The bytes of the section's line and the lines up to the next section
    // line; nothing when it is missing.
    std::optional<QByteArray> sectionBytes(QStringView section) const;
    // Whether a section of this name exists.
    bool hasSection(QStringView section) const;
    // The names of all named sections, in file order (duplicates included).
    QStringList sectionNames() const;

    class SectionView;
    // Every named section in file order (duplicates included), for readers
    // that go through the whole file once.
    std::vector<SectionView> namedSections() const;
    // The first section of the name, as value() finds it.
    std::optional<SectionView> section(QStringView name) const;

    // The bytes of the file with key=value written: in place of the key's
    // line, else after the section's last key line, else in a new section
    // at the end. New lines take the file's own line break.
    QByteArray withValue(QStringView section, QStringView key, QStringView value) const;
    // The bytes of the file with every entry written to section in turn:
    // the same bytes as that many single writes give one after another.
    QByteArray withValues(QStringView section, const QList<ProfileEntry> &entries) const;
    // The bytes of the file without the section's line and the lines after
    // it up to the next section line; the same bytes when it is missing.
    QByteArray withoutSection(QStringView section) const;
    // The bytes of the file with lines (a section line and its keys, as
    // sectionBytes gives them) in place of the section's lines, else at the
    // end of the file.
    QByteArray withSectionBytes(QStringView section, QByteArray lines) const;
    // The bytes of the file with the section's key lines replaced by the
    // entries, written after its section line, which takes the name as given;
    // its comment and blank lines stay. A missing section is written as
    // withValues writes it.
    QByteArray withSectionRewritten(QStringView section, const QList<ProfileEntry> &entries) const;

private:
    // A registry of 100,000 records has over a million lines: offsets of 32
    // bits keep each line small, and no document comes near 2 GB (the store
    // refuses to read files above 64 MB).
    using Offset = qint32;

    // A line as reads need it, in four offsets. Its end is where the next
    // line starts, the end of its text the file's next line break after its
    // start; its kind is told by valueStart, and the end of the name of a key
    // line with "=" is found back from its value.
    struct Line
    {
        static constexpr Offset Unnamed = -3; // a blank line or a comment
        static constexpr Offset Header = -2; // a section line
        static constexpr Offset NoValue = -1; // a key line without "="

        Offset start = 0; // the line's first byte
        Offset nameStart = 0; // the name within m_text, blanks removed
        Offset valueStart = Unnamed; // the value within m_text, or the kind
        Offset partEnd = 0; // the end of the value, or of the name when there is none

        bool isKey() const { return valueStart >= NoValue; }
        bool isSection() const { return valueStart == Header; }
        bool hasValue() const { return valueStart >= 0; }
    };

    struct Section
    {
        qint32 header = -1; // index of the section line; -1 for the nameless one
        qint32 end = 0; // index after its last line
        qint32 firstOfName = 0; // index of the first section of the same name
        qint32 firstLine() const { return header + 1; }
    };

    void parse();
    void decodeWhole();
    Line parseLine(qsizetype start, qsizetype textEnd);
    void indexSectionNames(const std::vector<size_t> &nameHashes);
    qsizetype endOf(qsizetype lineIndex) const;
    qsizetype textEndOf(const Line &line) const;
    QStringView nameOf(const Line &line) const;
    QString foldedNameOf(const Section &section) const;
    QString requestName(QStringView name) const;
    const Section *findSection(QString name) const;
    const Line *findKey(const Section &section, QStringView name) const;
    std::optional<QString> valueOf(const Line *line) const;
    // The value of a key line that holds "=".
    QStringView valueOf(const Line &line) const;
    // The byte range of the section's lines, when it exists.
    std::optional<std::pair<qsizetype, qsizetype>> sectionRange(QStringView section) const;
    // Bytes from..to of the file replaced by others.
    struct Splice
    {
        qsizetype from = 0;
        qsizetype to = 0;
        QByteArray bytes;
    };

    QByteArray spliced(std::vector<Splice> splices) const;
    Splice linesAfter(qsizetype lineIndex, const QStringList &texts) const;

    // The entries with each key once: a key given twice keeps the place of
    // its first write and the value of its last.
    QList<ProfileEntry> distinctWrites(const QList<ProfileEntry> &entries) const;

    QByteArray m_bytes;
    ProfileCodec m_codec;
    qsizetype m_markSize = 0;
    // The decoded text of the lines: of the whole file for UTF-16
    // (character i is code unit i after the mark), else line by line
    // without breaks, as far as the section and key lines need it.
    QString m_text;
    bool m_textIsWhole = false;
    QByteArray m_lineBreak;
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;
    // Every named section by the hash of its case-folded name, ordered by
    // hash and then by place in the file: far smaller than the names.
    struct NameHash
    {
        size_t hash;
        qint32 section;
        auto operator<=>(const NameHash &) const = default;
    };
    std::vector<NameHash> m_sectionsByNameHash;
};

// A named section as reads see it: the name its own line gives, and the key
// lines of the first section of that name, where every read of the name
// looks. Valid as long as its document.
class ProfileDocument::SectionView
{
public:
    QStringView name() const;
    // Whether an earlier section of the same name hides this one from reads.
    bool hidden() const { return m_keys != m_own; }
    // The value of the first key line of the name that holds "=", as value()
    // gives it; key is compared as given, letter case ignored.
    std::optional<QStringView> value(QStringView key) const;
    // The name and value of every key line that holds "=", in file order.
    QList<std::pair<QStringView, QStringView>> entries() const;

private:
    friend class ProfileDocument;
    SectionView(const ProfileDocument &document, qsizetype own, qsizetype keys)
        : m_document(&document)
        , m_own(own)
        , m_keys(keys)
    { }

    const ProfileDocument *m_document;
    qsizetype m_own; // index of the section in m_sections
    qsizetype m_keys; // index of the first section of its name
};

} // namespace tessel
