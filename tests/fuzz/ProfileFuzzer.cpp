// The profile reader and writer on arbitrary file bytes: an edit changes only
// the line it writes, what it writes reads back, and the result parses to the
// sections the edit promises.
#include "FuzzCheck.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileNames.h"
#include "registry/ProfileReading.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

using namespace tessel;

namespace {

struct Edit
{
    QString section;
    QString key;
    QString value;
};

// Most edits name a section or key the file has, so that changes of existing
// lines are tried as often as additions.
QString PickName(FuzzedDataProvider &picks, const QStringList &names, const std::string &otherwise)
{
    if (!names.isEmpty() && picks.ConsumeBool())
        return names[picks.ConsumeIntegral<quint8>() % names.size()];
    return QString::fromStdString(otherwise);
}

// The name a caller's name stands for in the file.
QString FileName(const ProfileDocument &document, const QString &name)
{
    return document.codec().fit(TrimProfileBlanks(name).toString());
}

bool SameName(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

qsizetype IndexOfName(const QStringList &names, const QString &name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (SameName(names[i], name))
            return i;
    }
    return -1;
}

QStringList WithoutName(QStringList names, const QString &name)
{
    names.removeIf([&](const QString &other) { return SameName(other, name); });
    return names;
}

// The section names that occur once, whose keys no edit of another section
// may change.
QStringList UniqueNames(const QStringList &names)
{
    QStringList unique;
    for (const QString &name : names) {
        if (WithoutName(names, name).size() == names.size() - 1)
            unique.append(name);
    }
    return unique;
}

// Whether a code unit of the file's text at [from, to) is a line break: bytes
// outside that range are the same before and after an edit.
bool HoldsLineBreak(const ProfileDocument &document, qsizetype from, qsizetype to)
{
    const ProfileCodec &codec = document.codec();
    const int unit = codec.unitSize();
    from -= (from - codec.byteOrderMarkSize()) % unit;
    for (qsizetype offset = from; offset + unit <= to; offset += unit) {
        const char16_t c = codec.unitAt(document.bytes(), offset);
        if (c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

// The range of the old bytes that the new bytes do not share at either end.
std::pair<qsizetype, qsizetype> ChangedRange(const QByteArray &before, const QByteArray &after)
{
    const qsizetype shortest = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shortest && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {prefix, before.size() - suffix};
}

void CheckWrite(const ProfileDocument &before, const Edit &edit)
{
    const QByteArray bytes = before.withValue(edit.section, edit.key, edit.value);
    const ProfileDocument after(bytes);
    const QString section = FileName(before, edit.section);
    const QString key = FileName(before, edit.key);
    const QString value = before.codec().fit(edit.value);

    // What was written reads back.
    FUZZ_CHECK(after.value(section, key) == value);
    if (value.size() < ReadBufferLimit - 1 && StripQuotes(value) == value)
        FUZZ_CHECK(LookupString(after, section, key, u"default") == value);

    // No line but the key's own changed: the bytes that differ lie within one line.
    const auto [from, to] = ChangedRange(before.bytes(), bytes);
    FUZZ_CHECK(!HoldsLineBreak(before, from, to));

    // The sections are the same, with a missing one added at the end.
    const QStringList sections = before.sectionNames();
    const bool sectionExists = IndexOfName(sections, section) >= 0;
    FUZZ_CHECK(after.sectionNames() == (sectionExists ? sections : sections + QStringList{section}));
    for (const QString &name : UniqueNames(sections)) {
        if (!SameName(name, section))
            FUZZ_CHECK(after.keyNames(name) == before.keyNames(name));
    }
    FUZZ_CHECK(WithoutName(after.keyNames(section), key) == WithoutName(before.keyNames(section), key));

    // Writing the same value again changes nothing, so the store leaves the file alone.
    FUZZ_CHECK(after.withValue(edit.section, edit.key, edit.value) == bytes);
}

void CheckRemoval(const ProfileDocument &before, const Edit &edit)
{
    const QByteArray bytes = before.withoutSection(edit.section);
    const ProfileDocument after(bytes);
    QStringList sections = before.sectionNames();
    const qsizetype removed = IndexOfName(sections, FileName(before, edit.section));
    if (removed < 0) {
        FUZZ_CHECK(bytes == before.bytes());
        return;
    }
    // One run of whole lines is cut out.
    const auto [from, to] = ChangedRange(before.bytes(), bytes);
    FUZZ_CHECK(to - from == before.bytes().size() - bytes.size());
    sections.removeAt(removed);
    FUZZ_CHECK(after.sectionNames() == sections);
    for (const QString &name : UniqueNames(before.sectionNames())) {
        if (IndexOfName(sections, name) >= 0)
            FUZZ_CHECK(after.keyNames(name) == before.keyNames(name));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool removeSection = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::string sectionSeed = input.ConsumeRandomLengthString(48);
    const std::string keySeed = input.ConsumeRandomLengthString(48);
    const std::string value = input.ConsumeRandomLengthString(200);
    const std::vector<uint8_t> choices = input.ConsumeBytes<uint8_t>(4);
    const std::vector<uint8_t> file = input.ConsumeRemainingBytes<uint8_t>();

    const ProfileDocument before(QByteArray(reinterpret_cast<const char *>(file.data()), qsizetype(file.size())));
    // Reading never fails, whatever the bytes.
    (void)JoinNameList(before.sectionNames());

    FuzzedDataProvider picks(choices.data(), choices.size());
    Edit edit;
    edit.section = PickName(picks, before.sectionNames(), sectionSeed);
    edit.key = PickName(picks, before.keyNames(edit.section), keySeed);
    edit.value = QString::fromStdString(value);

    if (removeSection) {
        if (CheckSectionName(edit.section))
            CheckRemoval(before, edit);
        return 0;
    }
    // Blanks around a value are not part of it, by the format's design.
    if (CheckEntryNames(edit.section, edit.key, edit.value)
        && TrimProfileBlanks(edit.value) == edit.value)
        CheckWrite(before, edit);
    return 0;
}
