#include "registry/RecordRules.h"

#include <algorithm>

#include "registry/SourceCatalogue.h"

namespace tessel {
namespace {

constexpr qint64 Whole32Limit = 2147483647;

struct NumberRange
{
    qint64 least;
    qint64 most;

    bool holds(QStringView text) const
    {
        bool ok = !text.isEmpty()
            && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const qint64 number = ok ? text.toLongLong(&ok) : 0;
        return ok && number >= least && number <= most;
    }

    Result<void> check(QStringView text) const
    {
        if (holds(text))
            return {};
        if (least == most)
            return Failure{QStringLiteral("must be %1, not \"%2\"").arg(least).arg(text)};
        return Failure{QStringLiteral("must be a whole number from %1 to %2, not \"%3\"")
                           .arg(least)
                           .arg(most)
                           .arg(text)};
    }
};

} // namespace

RecordValues NewRecordValues(qint32 type)
{
    RecordValues values;
    values[RecordKey::Type] = QString::number(type);
    values[RecordKey::ReadOnly] = FlagText(type == SourceType::DemandLoad);
    // The demand-load dialog starts with "Automatic" unchecked and no number.
    values[RecordKey::ID] = type == SourceType::DemandLoad ? QString() : AutomaticId;
    values[RecordKey::AutoConnect] = FlagText(false);
    values[RecordKey::Scales] = QStringLiteral("0,0,0");
    values[RecordKey::Priority] = QStringLiteral("127");
    switch (type) {
    case SourceType::Native:
        values[RecordKey::Attributes] = QString::number(AccessMode::Editable);
        values[RecordKey::Capabilities] = QString::number(CapabilityBit::Create | CapabilityBit::Import
                                                          | CapabilityBit::Unload | CapabilityBit::Export);
        break;
    case SourceType::NativeRaster:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] = QString::number(CapabilityBit::Import | CapabilityBit::Unload);
        break;
    default:
        values[RecordKey::Attributes] = QString::number(AccessMode::Backdrop);
        values[RecordKey::Capabilities] = QStringLiteral("0");
        break;
    }
    return values;
}

namespace {

// The whole numbers a key holds: any type code, the dialogs' choices,
// Priority's labelled range, and the 16-bit reading of Private. Demand-load
// records always carry the Attributes and Capabilities their dialog writes.
std::optional<NumberRange> rangeOf(RecordKey key, qint32 type)
{
    const bool demandLoad = type == SourceType::DemandLoad;
    switch (key) {
    case RecordKey::Type:
        return NumberRange{0, Whole32Limit};
    case RecordKey::ReadOnly:
    case RecordKey::AutoConnect:
        return NumberRange{0, 1};
    case RecordKey::Attributes:
        return demandLoad ? NumberRange{AccessMode::Backdrop, AccessMode::Backdrop}
                          : NumberRange{AccessMode::None, AccessMode::Editable};
    case RecordKey::Capabilities:
        return NumberRange{0,
                           demandLoad ? 0
                                      : CapabilityBit::Create | CapabilityBit::Import | CapabilityBit::Unload
                                   | CapabilityBit::Export};
    case RecordKey::Priority:
        return NumberRange{0, 255};
    case RecordKey::Private:
        return NumberRange{0, 32767};
    default:
        return std::nullopt;
    }
}

// The storage name of a native record, the DLD file and entity of a
// demand-load record; other types hold what their own programs write.
Result<void> checkConnect(const QString &text, qint32 type)
{
    if (type == SourceType::DemandLoad) {
        const DemandConnect connect = SplitDemandConnect(text);
        if (connect.dldPath.isEmpty())
            return Failure{QStringLiteral("must hold the DLD file path, a blank and the entity")};
        if (connect.entity.isEmpty())
            return Failure{QStringLiteral("names no entity after the DLD file path")};
        return {};
    }
    if (ConfigDialogOfType(type) != ConfigDialogKind::Native)
        return {};
    if (text.isEmpty())
        return Failure{QStringLiteral("must hold the storage name")};
    if (text.size() > StorageNameLimit)
        return Failure{QStringLiteral("the storage name \"%1\" is longer than %2 characters")
                           .arg(text)
                           .arg(StorageNameLimit)};
    return {};
}

} // namespace

int FilterNameKey(int key, bool allowBlank)
{
    const auto between = [key](char first, char last) { return key >= first && key <= last; };
    const bool passes = (key >= 0 && key < ' ') || between('0', '9') || between('A', 'Z') || between('a', 'z')
        || key == '_' || (key == ' ' && allowBlank);
    return passes ? key : 0;
}

Result<void> CheckRecordValue(RecordKey key, const QString &text, qint32 type)
{
    const NumberRange whole32{0, Whole32Limit};
    switch (key) {
    case RecordKey::Connect:
        return checkConnect(text, type);
    case RecordKey::ID:
        // Empty is what a dialog saves with "Automatic" unchecked and no number.
        if (text.isEmpty() || text.compare(AutomaticId, Qt::CaseInsensitive) == 0 || whole32.holds(text))
            return {};
        return Failure{QStringLiteral("must be Auto or a whole number from 0 to %1, not \"%2\"")
                           .arg(Whole32Limit)
                           .arg(text)};
    case RecordKey::Scales: {
        const QStringList fields = text.split(u',');
        if (fields.size() == 3 && std::all_of(fields.begin(), fields.end(), [&](const QString &field) {
                return whole32.holds(field);
            }))
            return {};
        return Failure{QStringLiteral("must be three whole numbers from 0 to %1 joined by commas, not \"%2\"")
                           .arg(Whole32Limit)
                           .arg(text)};
    }
    default:
        const std::optional<NumberRange> range = rangeOf(key, type);
        return range ? range->check(text) : Result<void>();
    }
}

bool HoldsNumber(RecordKey key)
{
    return key == RecordKey::ID || rangeOf(key, SourceType::Native).has_value();
}

std::optional<RecordKey> RecordKeyNamed(QStringView name)
{
    for (const RecordKeyEntry &entry : RecordKeys) {
        if (name.compare(entry.name, Qt::CaseInsensitive) == 0)
            return entry.key;
    }
    return std::nullopt;
}

} // namespace tessel
