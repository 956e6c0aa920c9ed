#include "tools/admin/RecordTemplate.h"

#include "controls/TextHelpers.h"
#include "registry/NumericText.h"
#include "registry/ProfileDocument.h"
#include "registry/SourceCatalogue.h"

namespace tessel {
namespace {

constexpr int StorageNameLimit = 8;

bool isDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The values a configuration dialog saves for a new record of type that the
// user leaves as they are.
RecordValues newRecordValues(qint32 type)
{
    RecordValues values;
    values[RecordKey::Type] = QString::number(type);
    values[RecordKey::ReadOnly] = FlagText(type == SourceType::DemandLoad);
    values[RecordKey::ID] = AutomaticId;
    values[RecordKey::AutoConnect] = FlagText(false);
    values[RecordKey::Scales] = QStringLiteral("0,0,0");
    values[RecordKey::Priority] = QStringLiteral("127");
    switch (type) {
    case SourceType::Native:
        values[RecordKey::Attributes] = QString::number(AccessMode::Editable);
        values[RecordKey::Capabilities] = QString::number(CapabilityBit::Create | CapabilityBit::Import
                                                          | CapabilityBit::Unload
                                                          | CapabilityBit::Export);
        break;
    case SourceType::NativeRaster:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] =
            QString::number(CapabilityBit::Import | CapabilityBit::Unload);
        break;
    default:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] = QStringLiteral("0");
        break;
    }
    return values;
}

class TemplateReader
{
public:
    TemplateReader(const ProfileDocument &file, const QString &section)
        : m_file(file)
        , m_section(section)
    {
    }

    std::optional<QString> value(RecordKey key) const
    {
        return m_file.value(m_section, KeyName(key));
    }

    // Takes a flag ("0" or "1" in any number form) into values.
    QString takeFlag(RecordKey key, RecordValues &values) const
    {
        if (const auto text = value(key)) {
            if (!IsNumericText(*text))
                return KeyName(key) + QStringLiteral(" must be 0 or 1, not \"%1\"").arg(*text);
            values[key] = FlagText(LeadingNumber(*text) != 0);
        }
        return {};
    }

    // Takes a whole number of digits only, as the dialogs' number boxes hold.
    QString takeDigits(RecordKey key, RecordValues &values) const
    {
        if (const auto text = value(key)) {
            if (!isDigits(*text))
                return KeyName(key) + QStringLiteral(" must be a whole number, not \"%1\"").arg(*text);
            values[key] = *text;
        }
        return {};
    }

    QString takeId(RecordValues &values) const
    {
        if (const auto text = value(RecordKey::ID)) {
            if (text->compare(AutomaticId, Qt::CaseInsensitive) == 0)
                values[RecordKey::ID] = AutomaticId;
            else if (isDigits(*text))
                values[RecordKey::ID] = *text;
            else
                return QStringLiteral("ID must be Auto or a source number, not \"%1\"").arg(*text);
        }
        return {};
    }

    QString takeScales(RecordValues &values) const
    {
        if (const auto text = value(RecordKey::Scales)) {
            const QStringList fields = text->split(QLatin1Char(','));
            bool valid = fields.size() == 3;
            for (const QString &field : fields)
                valid = valid && isDigits(field);
            if (!valid) {
                return QStringLiteral("Scales must be three whole numbers joined by commas, not \"%1\"")
                    .arg(*text);
            }
            values[RecordKey::Scales] = *text;
        }
        return {};
    }

    QString takeNativeKeys(RecordValues &values) const
    {
        const QString storage = value(RecordKey::Connect).value_or(QString());
        if (storage.trimmed().isEmpty())
            return QStringLiteral("Connect must hold the storage name");
        if (storage.size() > StorageNameLimit) {
            return QStringLiteral("the storage name \"%1\" is longer than %2 characters")
                .arg(storage)
                .arg(StorageNameLimit);
        }
        values[RecordKey::Connect] = storage;
        if (const auto text = value(RecordKey::Attributes)) {
            if (!isDigits(*text) || text->toInt() > AccessMode::Editable)
                return QStringLiteral("Attributes must be 0, 1, 2 or 3, not \"%1\"").arg(*text);
            values[RecordKey::Attributes] = *text;
        }
        if (const auto text = value(RecordKey::Capabilities)) {
            const int all = CapabilityBit::Create | CapabilityBit::Import | CapabilityBit::Unload
                            | CapabilityBit::Export;
            if (!isDigits(*text) || text->toInt() > all)
                return QStringLiteral("Capabilities must be a sum of 1, 2, 4 and 8, not \"%1\"").arg(*text);
            values[RecordKey::Capabilities] = *text;
        }
        return {};
    }

    QString takeDemandConnect(RecordValues &values) const
    {
        const DemandConnect connect = SplitDemandConnect(value(RecordKey::Connect).value_or(QString()));
        if (connect.dldPath.isEmpty())
            return QStringLiteral("Connect must hold the DLD file path, a blank and the entity");
        if (connect.entity.isEmpty())
            return QStringLiteral("Connect names no entity after the DLD file path");
        values[RecordKey::Connect] = DemandConnectText(connect.dldPath, connect.entity);
        return {};
    }

private:
    const ProfileDocument &m_file;
    const QString &m_section;
};

} // namespace

std::variant<CheckedRecord, QString> CheckTemplateRecord(const ProfileDocument &file,
                                                         const QString &section)
{
    CheckedRecord record;
    record.name = TrimWhiteSpace(section);
    if (record.name.isEmpty())
        return QStringLiteral("the data source name is empty");
    if (!IsStorableName(record.name))
        return QStringLiteral("the name cannot be stored in the registry");

    const TemplateReader reader(file, section);
    const QString typeText = reader.value(RecordKey::Type).value_or(QString());
    record.type = IsNumericText(typeText) ? WholeNumber32(typeText) : 0;
    if (record.type != SourceType::Native && record.type != SourceType::NativeRaster
        && record.type != SourceType::DemandLoad) {
        return QStringLiteral("Type must be 1, 2 or 4, not \"%1\"").arg(typeText);
    }

    record.values = newRecordValues(record.type);
    record.values[RecordKey::Description] = reader.value(RecordKey::Description).value_or(QString());
    const bool native = record.type != SourceType::DemandLoad;
    for (const QString &problem :
         {native ? reader.takeNativeKeys(record.values) : reader.takeDemandConnect(record.values),
          reader.takeFlag(RecordKey::ReadOnly, record.values), reader.takeId(record.values),
          reader.takeFlag(RecordKey::AutoConnect, record.values), reader.takeScales(record.values),
          reader.takeDigits(RecordKey::Priority, record.values)}) {
        if (!problem.isEmpty())
            return problem;
    }

    if (const auto text = reader.value(RecordKey::Private)) {
        if (!isDigits(*text))
            return QStringLiteral("Private must be a whole number, not \"%1\"").arg(*text);
        record.privateBits = WholeNumber16(*text);
    }
    return record;
}

} // namespace tessel
