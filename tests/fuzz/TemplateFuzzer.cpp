// tessel-admin's template reader on arbitrary bytes: what it accepts means what the
// store's reader makes of the file, and an accepted record is stored as given.
#include "FuzzCheck.h"

#include "profile/ProfileDocument.h"
#include "profile/ProfileReading.h"
#include "profile/StoredValue.h"
#include "tools/admin/RecordTemplate.h"

#include <QStringDecoder>

#include <iterator>

using namespace tessel;
using namespace tessel::fuzz;

namespace {

const QByteArray Utf8Mark("\xEF\xBB\xBF");

// The file as the store would read it: the reader takes a file without a
// byte-order mark that is valid UTF-8 as UTF-8.
ProfileDocument StoreReading(const QByteArray &bytes)
{
    if (ProfileCodec::ForFile(bytes).encoding() == ProfileCodec::Encoding::Windows1252) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8(bytes); // the decoder sees errors only as it decodes
        if (!utf8.hasError())
            return ProfileDocument(Utf8Mark + bytes);
    }
    return ProfileDocument(bytes);
}

void CheckAgainstStore(const QList<TemplateSection> &sections, const ProfileDocument &store)
{
    QStringList names;
    std::transform(sections.begin(), sections.end(), std::back_inserter(names),
                   [](const auto &s) { return s.name; });
    FUZZ_CHECK(store.sectionNames() == names);
    for (const TemplateSection &section : sections) {
        if (CountName(names, section.name) > 1)
            continue; // the store reads the first section of a name only
        QStringList keys;
        for (const TemplateKey &key : section.keys) {
            if (CountName(keys, key.name) == 0)
                FUZZ_CHECK(StripQuotes(store.value(section.name, key.name).value_or(u"\x01"_qs))
                           == key.value);
            keys.append(key.name);
        }
        FUZZ_CHECK(store.keyNames(section.name) == keys);
    }
}

QString ReadBack(const QByteArray &mark, const QString &section, const QString &key, const QString &value)
{
    return LookupString(ProfileDocument(ProfileDocument(mark).withValue(section, key, value)), section, key,
                        u"\x01");
}

void CheckRecords(const QList<TemplateSection> &sections, const QByteArray &mark)
{
    const ProfileCodec codec = ProfileCodec::ForFile(mark);
    for (const TemplateSection &section : sections) {
        for (const TemplateKey &key : section.keys) {
            // The value check says exactly whether the value reads back whole.
            const bool whole = ReadBack(mark, u"S"_qs, u"K"_qs, key.value) == key.value;
            FUZZ_CHECK(CheckStoredValue(key.value, codec).has_value() == whole);
        }
        const Result<CheckedRecord> record = CheckTemplateRecord(section, codec);
        if (!record)
            continue;
        FUZZ_CHECK(record->name == section.name);
        for (const TemplateKey &key : section.keys) {
            if (SameName(key.name, u"Private"_qs))
                continue;
            const auto entry = std::ranges::find_if(
                RecordKeys, [&](const auto &e) { return SameName(key.name, e.name.toString()); });
            FUZZ_CHECK(entry != RecordKeys.end() && record->values[entry->key] == key.value);
        }
        for (int index = 0; index < SavedKeyCount; ++index) {
            const QString value = record->values[RecordKey(index)];
            FUZZ_CHECK(ReadBack(mark, record->name, KeyName(RecordKey(index)), value) == value);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = Bytes(data, size);
    const TemplateReading reading = ReadTemplate(bytes);
    if (!reading)
        return 0;
    CheckAgainstStore(*reading, StoreReading(bytes));
    CheckRecords(*reading, QByteArray());
    CheckRecords(*reading, Utf8Mark);
    return 0;
}
