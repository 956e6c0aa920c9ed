#pragma once

#include <memory>
#include <optional>

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "controls/GeoList.h"
#include "platform/SystemError.h"

namespace tessel {

class ProfileDocument;

// One reading of the registry as the main window lists it. Made on a worker
// thread for a change another program made, so that the window only has to
// hand the finished entries to its list.
struct RegistryListing
{
    // The file as read: the empty document when it is missing or could not
    // be read.
    std::shared_ptr<const ProfileDocument> document;
    // Why a file that exists could not be read; nothing when it was read.
    std::optional<FileError> failure;
    // Every record in file order, with the icon of its type.
    QList<GeoListItem> items;
    // The record types that have no icon, each once, in the order listed.
    QList<qint32> typesWithoutIcon;

    // Whether other shows what this one does: the same bytes read, or the
    // same reason for not reading them.
    bool showsTheSameAs(const RegistryListing &other) const;
};

// Reads the registry at path once and lists its records.
RegistryListing ListRegistry(const QString &path);

// A message for the user: a text of the message table, what fills its ^1,
// ^2, and the buttons and icon of its box.
struct ListingProblem
{
    QString message;
    QStringList arguments;
    int style = 0;
    bool operator==(const ListingProblem &) const = default;
};

// Tells each problem that listing the registry finds once per run: a type
// without an icon when it first appears, a read failure when it first
// happens. A refill finds the same problems again and must not repeat them.
class ListingProblems
{
public:
    // The problems of listing that no earlier listing had; from here on they
    // count as told.
    QList<ListingProblem> untold(const QString &registryPath, const RegistryListing &listing);

private:
    QSet<qint32> m_toldTypes;
    QSet<QString> m_toldFailures;
};

} // namespace tessel
