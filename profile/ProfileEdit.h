#pragma once

#include "platform/SafeFile.h"
#include "profile/ProfileDocument.h"
#include "profile/StoredValue.h"
#include "profile/WriteResult.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessel {

// A section that an edit touched: its lines up to the next section as the
// file had them before the first edit of its name and as the edits leave
// them, each time the first section of that name, which reads find; nothing
// on a side where the name is missing.
struct SectionChange
{
    std::optional<QByteArray> before;
    std::optional<QByteArray> after;
};

// The sections that the edits of a file touched, in file order (those the
// file had first, then those added).
struct EditedSections
{
    ProfileCodec::Encoding encoding = ProfileCodec::Encoding::Windows1252;
    std::vector<SectionChange> changes;
};

// The edits that one user action makes to one profile file, applied in
// memory to the file as it was read under its lock. Each edit gives exactly
// the bytes that the same single write or removal would give on its own; a
// refused edit changes nothing and is reported, and the caller then abandons
// the whole change.
//
// The file's sections are found once (ProfileDocument::ScanSections); they
// are then held as separate parts, linked in file order and indexed by name,
// so that an edit parses and rebuilds only the section it touches and any
// number of edits cost the file's size once.
class ProfileEdit
{
public:
    // The edit of a file of these bytes.
    explicit ProfileEdit(QByteArray bytes);

    const ProfileCodec &codec() const { return m_codec; }
    // The file as the edit started from it, or as setBytes last replaced it.
    const QByteArray &original() const { return m_original; }
    // The file as the edits so far have left it, and its size.
    QByteArray bytes() const;
    qsizetype size() const { return m_size; }

    // Whether a section of this name exists (letter case ignored).
    bool hasSection(QStringView section) const;
    // The section as the edits so far have left it, as a document of its
    // own (an empty one when it is missing): its lines up to the next section.
    ProfileDocument section(QStringView section) const;
    // The bytes of the section's lines up to the next section; nothing when
    // it is missing.
    std::optional<QByteArray> sectionBytes(QStringView section) const;

    // Writes the entries to section in their order, as that many single
    // writes would: each key in place of its line, else after the section's
    // last key, else in a new section at the end of the file. Refused, writing
    // none of them: names the file cannot carry, or a value that does not
    // read back as readBack asks.
    WriteResult setValues(QStringView section, const QList<ProfileEntry> &entries,
                          ReadBack readBack = ReadBack::Carried);
    WriteResult setValue(QStringView section, const QString &key, const QString &value);
    // Replaces the section's key lines by the entries, in its place, under
    // the name as given; a missing section is written as setValues writes it.
    // Refused as setValues refuses.
    WriteResult rewriteSection(QStringView section, const QList<ProfileEntry> &entries,
                               ReadBack readBack = ReadBack::Carried);
    // Removes the section's line and its keys; a missing section is no change.
    WriteResult removeSection(QStringView section);
    // Puts a section's lines as another file of the same encoding holds them
    // in place of the section's lines; a missing section goes before the
    // section placeBefore names when there is one, else at the end of the
    // file. Nothing removes the section. Refused: lines that are not one
    // section of the name.
    WriteResult setSectionBytes(QStringView section, const std::optional<QByteArray> &lines,
                                QStringView placeBefore = {});
    // Replaces the whole file.
    void setBytes(QByteArray bytes);

    // The sections whose reading the edits so far may have changed, so that
    // what they changed is found without comparing the whole file; nothing
    // once the whole file was replaced.
    std::optional<EditedSections> editedSections() const;

private:
    // The parts are linked in file order, so that a section can be put back
    // between two others; the nameless part stays first.
    struct Part
    {
        QByteArray bytes; // whole lines; empty once removed
        int nextOfName = -1; // the next part of the same name
        int next = -1; // the part after it in the file
        int previous = -1; // the part before it in the file
    };

    int find(QStringView section) const;
    int findName(const QString &lookupName) const;
    // Notes the section as the file has it before its name is first edited,
    // and gives its part now.
    int touch(const QString &lookupName);
    ProfileDocument parsed(int part, const QByteArray &lineBreak) const;
    void replacePart(int part, QByteArray bytes);
    void appendPart(const QString &lookupName, QByteArray bytes);
    void insertPart(const QString &lookupName, QByteArray bytes, int before);
    void nameParts(const QString &lookupName, int part);
    WriteResult checkEntries(QStringView section, const QList<ProfileEntry> &entries,
                             ReadBack readBack) const;
    WriteResult append(QStringView section, const QList<ProfileEntry> &entries, const QString &lookupName);
    // A section's lines rebuilt with entries, as setValues or rewriteSection
    // rebuild them.
    using SectionRebuild = QByteArray (ProfileDocument::*)(QStringView, const QList<ProfileEntry> &) const;
    WriteResult writeEntries(QStringView section, const QList<ProfileEntry> &entries, ReadBack readBack,
                             SectionRebuild rebuild);
    // The last part that holds lines, -1 when none does.
    int lastLivePart() const;
    void followFirstPart();
    bool endsWithBreak(const QByteArray &bytes) const;

    // The file's bytes, which the parts that no edit touched share.
    QByteArray m_original;
    ProfileCodec m_codec;
    QByteArray m_mark;
    std::vector<Part> m_parts; // the nameless part first, then the sections
    QHash<QString, int> m_firstOfName; // case-folded name -> first part of that name
    int m_firstLive = 0; // the first part that holds lines, -1 when none does
    int m_last = -1; // the last part in the file
    qsizetype m_size = 0; // of the mark and every part
    QByteArray m_lineBreak; // the break that new lines take
    // A name edited, as the file had it before its first edit.
    struct Touched
    {
        int part = -1; // its first part then, -1 when missing
        QByteArray before; // that part's bytes
    };
    QHash<QString, Touched> m_touched; // by case-folded name
    bool m_replacedWhole = false;
};

// What the edits of a file make of it: its bytes as they found them and as
// they leave them, and the sections they touched, when they did not replace
// the whole file.
struct FileChange
{
    QByteArray before;
    QByteArray after;
    std::optional<EditedSections> sections;
};

// A step of an edit that runs under the file's lock once the new bytes are
// known and before the file is replaced, such as keeping the old file as a
// version. prepare() may refuse, and then nothing is written; otherwise
// settle() tells whether the replacement was made.
class ReplacementStep
{
public:
    virtual ~ReplacementStep() = default;
    // filePath is the file itself, through any symbolic links; permissions
    // are the file's, none when it is missing.
    virtual WriteResult prepare(const QString &filePath, const FileChange &change,
                                const std::optional<FilePermissions> &permissions) = 0;
    virtual void settle(bool replaced) = 0;
};

// One locked read-modify-write of the file: edits runs on the file as it is
// now, and when it succeeds the file is replaced once with the result (not
// at all when nothing changed), after step when one is given. When edits or
// step fails, or the file cannot be replaced, the file keeps every byte it
// had. A writer waits for another writer's lock at most lockWait, then gives
// up as Busy.
WriteResult EditProfile(const QString &filePath, const std::function<WriteResult(ProfileEdit &)> &edits,
                        std::chrono::milliseconds lockWait = LockedFile::DefaultWait,
                        ReplacementStep *step = nullptr);

// Refused when the edits make the file larger than any profile file is read
// (MaxReadableFileSize), as nothing could read it back.
WriteResult CheckEditedSize(const ProfileEdit &edit);

// The write failure that a failed file operation means.
WriteResult FileWriteFailure(const FileError &error);

// The edits run on the file as it is now, which stays untouched: no file,
// lock or directory is made. What the edits would do is theirs to say.
WriteResult PreviewProfileEdit(const QString &filePath,
                               const std::function<WriteResult(ProfileEdit &)> &edits);

} // namespace tessel
