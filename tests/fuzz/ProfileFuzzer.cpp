// The profile reader and writer on arbitrary file bytes: an edit changes only its
// own line, what it writes reads back, and the sections are the ones it promises.
#include "FuzzCheck.h"

#include "profile/ProfileDocument.h"
#include "profile/ProfileNames.h"
#include "profile/ProfileReading.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

struct Edit
{
    QString section, key, value;
};

// Most edits name a section or key the file has, so that changes of existing
// lines are tried as often as additions.
QString PickName(FuzzedDataProvider &picks, const QStringList &names, const std::string &otherwise)
{
    return !names.isEmpty() && picks.ConsumeBool() ? names[picks.ConsumeIntegral<quint8>() % names.size()]
                                                   : QString::fromStdString(otherwise);
}

// The name a caller's name stands for in the file.
QString FileName(const ProfileDocument &document, const QString &name)
{
    return document.codec().fit(TrimProfileBlanks(name).toString());
}

QStringList WithoutName(QStringList names, const QString &name)
{
    names.removeIf([&](const QString &other) { return SameName(other, name); });
    return names;
}

// Whether the file's text at [from, to), the bytes an edit changed, holds a line break.
bool HoldsLineBreak(const ProfileDocument &document, qsizetype from, qsizetype to)
{
    const ProfileCodec &codec = document.codec();
    const int unit = codec.unitSize();
    from -= (from - codec.byteOrderMarkSize()) % unit;
    for (qsizetype offset = from; offset + unit <= to; offset += unit) {
        if (const char16_t c = codec.unitAt(document.bytes(), offset); c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

std::pair<qsizetype, qsizetype> ChangedRange(const QByteArray &before, const QByteArray &after)
{
    const qsizetype prefix = std::ranges::mismatch(before, after).in1 - before.begin();
    const qsizetype shortest = std::min(before.size(), after.size());
    const qsizetype suffix =
        std::mismatch(before.rbegin(), before.rbegin() + (shortest - prefix), after.rbegin()).first
        - before.rbegin();
    return {prefix, before.size() - suffix};
}

void CheckWrite(const ProfileDocument &before, const Edit &edit)
{
    const QByteArray bytes = before.withValue(edit.section, edit.key, edit.value);
    const ProfileDocument after(bytes);
    const QString section = FileName(before, edit.section);
    const QString key = FileName(before, edit.key);
    const QString value = before.codec().fit(edit.value);

    FUZZ_CHECK(after.value(section, key) == value);
    if (value.size() < ReadBufferLimit - 1 && StripQuotes(value) == value)
        FUZZ_CHECK(LookupString(after, section, key, u"default") == value);

    // No line but the key's own changed: the bytes that differ lie within one line.
    const auto [from, to] = ChangedRange(before.bytes(), bytes);
    FUZZ_CHECK(!HoldsLineBreak(before, from, to));

    // The sections are the same, with a missing one added at the end.
    const QStringList sections = before.sectionNames();
    FUZZ_CHECK(after.sectionNames()
               == (CountName(sections, section) > 0 ? sections : sections + QStringList{section}));
    // No edit changes the keys of another section that occurs once.
    for (const QString &name : sections) {
        if (CountName(sections, name) == 1 && !SameName(name, section))
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
    const QStringList beforeSections = before.sectionNames();
    QStringList sections = beforeSections;
    const QString section = FileName(before, edit.section);
    const auto removed =
        std::ranges::find_if(sections, [&](const QString &name) { return SameName(name, section); });
    if (removed == sections.end()) {
        FUZZ_CHECK(bytes == before.bytes());
        return;
    }
    // One run of whole lines is cut out.
    const auto [from, to] = ChangedRange(before.bytes(), bytes);
    FUZZ_CHECK(to - from == before.bytes().size() - bytes.size());
    sections.erase(removed);
    FUZZ_CHECK(after.sectionNames() == sections);
    for (const QString &name : sections) {
        if (CountName(beforeSections, name) == 1)
            FUZZ_CHECK(after.keyNames(name) == before.keyNames(name));
    }
}

// The scan that edits start from finds the sections and the line break that
// the whole parse finds.
void CheckSectionScan(const ProfileDocument &document)
{
    const ProfileDocument::SectionScan scan = ProfileDocument::ScanSections(document.bytes());
    const std::vector<ProfileDocument::SectionSpan> spans = document.sectionSpans();
    FUZZ_CHECK(scan.lineBreak == document.lineBreak());
    FUZZ_CHECK(scan.spans.size() == spans.size());
    for (std::size_t i = 0; i < std::min(scan.spans.size(), spans.size()); ++i) {
        FUZZ_CHECK(scan.spans[i].name == spans[i].name);
        FUZZ_CHECK(scan.spans[i].from == spans[i].from && scan.spans[i].to == spans[i].to);
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
    const ProfileDocument before(Bytes(input.ConsumeRemainingBytes<uint8_t>()));
    // Reading never fails, whatever the bytes.
    (void)JoinNameList(before.sectionNames());
    CheckSectionScan(before);

    FuzzedDataProvider picks(choices.data(), choices.size());
    const QString section = PickName(picks, before.sectionNames(), sectionSeed);
    const Edit edit{section, PickName(picks, before.keyNames(section), keySeed),
                    QString::fromStdString(value)};

    if (removeSection && CheckSectionName(edit.section))
        CheckRemoval(before, edit);
    // Blanks around a value are not part of it, by the format's design.
    else if (!removeSection && CheckEntryNames(edit.section, edit.key, edit.value)
             && TrimProfileBlanks(edit.value) == edit.value)
        CheckWrite(before, edit);
    return 0;
}
