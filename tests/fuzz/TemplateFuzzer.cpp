// The template reader of tessel-admin on arbitrary file bytes: what it
// accepts means what the store's own reader makes of the same file, and a
// record it accepts is stored exactly as the template gives it.
#include "FuzzCheck.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"
#include "tools/admin/RecordTemplate.h"

#include <QByteArray>
#include <QStringDecoder>

using namespace tessel;

namespace {

const QByteArray Utf8Mark("\xEF\xBB\xBF");

// The file as the store would read it: the reader takes a file without a
// byte-order mark that is valid UTF-8 as UTF-8.
ProfileDocument StoreReading(const QByteArray &bytes)
{
    if (ProfileCodec::ForFile(bytes).encoding() == ProfileCodec::Encoding::Windows1252) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8(bytes);   // the decoder sees errors only as it decodes
        if (!utf8.hasError())
            return ProfileDocument(Utf8Mark + bytes);
    }
    return ProfileDocument(bytes);
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void CheckAgainstStore(const QList<TemplateSection> &sections, const ProfileDocument &store)
{
    QStringList names;
    for (const TemplateSection &section : sections)
        names.append(section.name);
    FUZZ_CHECK(store.sectionNames() == names);
    for (const TemplateSection &section : sections) {
        const auto sameSection = [&](const QString &name) { return name.toCaseFolded() == section.name.toCaseFolded(); };
        if (std::count_if(names.begin(), names.end(), sameSection) > 1)
            continue;   // the store reads the first section of a name only
        QStringList keys;
        for (const TemplateKey &key : section.keys) {
            const bool first = std::none_of(keys.begin(), keys.end(), [&](const QString &name) {
                return SameName(name, key.name);
            });
            if (first)
                FUZZ_CHECK(StripQuotes(store.value(section.name, key.name).value_or(u"\x01"_qs)) == key.value);
            keys.append(key.name);
        }
        FUZZ_CHECK(store.keyNames(section.name) == keys);
    }
}

// What a value reads back as after it is written to a file of codec's encoding.
QString ReadBack(const QByteArray &mark, const QString &section, const QString &key, const QString &value)
{
    const ProfileDocument written(ProfileDocument(mark).withValue(section, key, value));
    return LookupString(written, section, key, u"\x01");
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
            if (!SameName(key.name, u"Private"_qs)) {
                const auto entry = std::find_if(RecordKeys.begin(), RecordKeys.end(), [&](const RecordKeyEntry &e) {
                    return SameName(key.name, e.name.toString());
                });
                FUZZ_CHECK(entry != RecordKeys.end() && record->values[entry->key] == key.value);
            }
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
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TemplateReading reading = ReadTemplate(bytes);
    if (!reading)
        return 0;
    FUZZ_CHECK(!reading->isEmpty());
    CheckAgainstStore(*reading, StoreReading(bytes));
    CheckRecords(*reading, QByteArray());
    CheckRecords(*reading, Utf8Mark);
    return 0;
}
