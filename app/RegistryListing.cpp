#include "app/RegistryListing.h"

#include "app/SourceListItems.h"
#include "gui/MessageBoxes.h"
#include "i18n/Messages.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileStore.h"
#include "registry/DataSourceRecord.h"
#include "registry/SourceCatalogue.h"

namespace tessel {

bool RegistryListing::showsTheSameAs(const RegistryListing &other) const
{
    if (failure || other.failure)
        return failure && other.failure && failure->code == other.failure->code
            && failure->text == other.failure->text;
    return document == other.document || document->bytes() == other.document->bytes();
}

RegistryListing ListRegistry(const QString &path)
{
    RegistryListing listing;
    auto read = ReadProfileDocument(path);
    if (!read) {
        listing.failure = read.error();
        listing.document = std::make_shared<const ProfileDocument>();
        return listing;
    }
    listing.document = *read;
    const QList<ListedRecord> records = ListRecords(*listing.document);
    listing.items.reserve(records.size());
    for (const ListedRecord &record : records) {
        listing.items.append(SrcItem(record.name, record.type));
        if (!SrcTypeToIcon(record.type) && !listing.typesWithoutIcon.contains(record.type))
            listing.typesWithoutIcon.append(record.type);
    }
    return listing;
}

QList<ListingProblem> ListingProblems::untold(const QString &registryPath, const RegistryListing &listing)
{
    QList<ListingProblem> problems;
    if (listing.failure) {
        if (!m_toldFailures.contains(listing.failure->text)) {
            m_toldFailures.insert(listing.failure->text);
            problems.append(
                {Msg::RegistryUnreadable, {registryPath, listing.failure->text}, MsgBoxStyle::Exclamation});
        }
    }
    for (const qint32 type : listing.typesWithoutIcon) {
        if (!m_toldTypes.contains(type)) {
            m_toldTypes.insert(type);
            problems.append({Msg::InternalErrorSrcTypeToIcon, {}, MsgBoxStyle::OkOnly});
        }
    }
    return problems;
}

} // namespace tessel
