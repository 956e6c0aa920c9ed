#include "registry/DataSourceRecord.h"

#include <QLocale>

#include "registry/NumericText.h"
#include "registry/ProfileNames.h"
#include "registry/ProfileStore.h"

namespace tessel {
namespace {

const RecordKeyEntry &specOf(RecordKey key)
{
    return RecordKeys[std::size_t(key)];
}

// Takes the text before the first separator off the front of text; without a
// separator the whole text is taken.
QStringView takeField(QStringView &text, QChar separator)
{
    const qsizetype at = text.indexOf(separator);
    const QStringView field = at < 0 ? text : text.first(at);
    text = at < 0 ? QStringView() : text.sliced(at + 1);
    return field;
}

} // namespace

QString KeyName(RecordKey key)
{
    return specOf(key).name.toString();
}

QString ReadDefault(RecordKey key)
{
    return specOf(key).readDefault.toString();
}

DataSourceRecord::DataSourceRecord(QString registryPath, QString name)
    : m_registryPath(std::move(registryPath))
    , m_name(std::move(name))
{
}

QString DataSourceRecord::text(RecordKey key) const
{
    return ReadProfileString(m_name, KeyName(key), ReadDefault(key), m_registryPath);
}

double DataSourceRecord::number(RecordKey key) const
{
    return LeadingNumber(text(key));
}

qint16 DataSourceRecord::whole16(RecordKey key) const
{
    return WholeNumber16(text(key));
}

qint32 DataSourceRecord::whole32(RecordKey key) const
{
    return WholeNumber32(text(key));
}

bool DataSourceRecord::remove() const
{
    return DeleteProfileSection(m_name, m_registryPath);
}

QStringList RecordNames(const QString &registryPath)
{
    return ProfileSectionNames(registryPath);
}

QString FlagText(bool set)
{
    return set ? QStringLiteral("1") : QStringLiteral("0");
}

QString DecimalText(double number)
{
    // Adding 0.0 turns a negative zero into zero, so that it prints as "0".
    return QString::number(number + 0.0, 'f', QLocale::FloatingPointShortest);
}

Scales ParseScales(const QString &text)
{
    QStringView rest = text;
    Scales scales;
    scales.minimum = LeadingNumber(takeField(rest, QLatin1Char(',')));
    scales.maximum = LeadingNumber(takeField(rest, QLatin1Char(',')));
    scales.overview = LeadingNumber(takeField(rest, QLatin1Char(',')));
    return scales;
}

QString ScalesText(bool allScales, const QString &minimum, const QString &maximum,
                   const QString &overview)
{
    const QString zero = QStringLiteral("0");
    const QChar comma = QLatin1Char(',');
    return (allScales ? zero : minimum) % comma % (allScales ? zero : maximum) % comma % overview;
}

SourceId ParseSourceId(const QString &text)
{
    if (IsNumericText(text))
        return {false, text};
    return {true, {}};
}

QString SourceIdText(bool automatic, const QString &number)
{
    return automatic ? AutomaticId : number;
}

DemandConnect SplitDemandConnect(const QString &text)
{
    QStringView rest = text;
    const QStringView path = takeField(rest, QLatin1Char(' '));
    return {path.toString(), rest.toString()};
}

QString DemandConnectText(const QString &dldPath, const QString &entity)
{
    return dldPath % QLatin1Char(' ') % entity;
}

bool IsStorableName(const QString &name)
{
    return ProblemWithSection(name).isEmpty() && name != NewRecordMarker;
}

QString &RecordValues::operator[](RecordKey key)
{
    Q_ASSERT(int(key) < SavedKeyCount);
    return m_texts[std::size_t(key)];
}

const QString &RecordValues::operator[](RecordKey key) const
{
    Q_ASSERT(int(key) < SavedKeyCount);
    return m_texts[std::size_t(key)];
}

bool SaveRecord(const QString &registryPath, const QString &currentName, const QString &newName,
                const RecordValues &values, PrivateOnSave privateRule)
{
    if (!IsStorableName(newName))
        return false;

    bool written = true;
    int carriedBits = 0;
    if (newName != currentName) {
        const DataSourceRecord previous(registryPath, currentName);
        if (!previous.isNew())
            carriedBits = previous.whole16(RecordKey::Private);
        written = previous.remove();
    }

    for (int index = 0; index < SavedKeyCount; ++index) {
        const auto key = RecordKey(index);
        written = WriteProfileString(newName, KeyName(key), values[key], registryPath) && written;
    }

    const DataSourceRecord saved(registryPath, newName);
    int privateBits = saved.whole16(RecordKey::Private) | carriedBits;
    if (privateRule == PrivateOnSave::MarkSavedByNative)
        privateBits |= PrivateBit::SavedByNative;
    else if (carriedBits == 0)
        return written;
    return WriteProfileString(newName, KeyName(RecordKey::Private),
                              QString::number(qint16(privateBits)), registryPath)
           && written;
}

} // namespace tessel
