#pragma once

#include <QList>
#include <QString>

#include "registry/SourceCatalogue.h"

namespace tessel {

class RegistrySnapshot;

// One finding about a record, naming the key it concerns when there is one.
struct CheckFinding
{
    QString section;
    QString key; // empty for a finding about the section as a whole
    QString text;

    friend bool operator==(const CheckFinding &, const CheckFinding &) = default;
};

struct RegistryCheckReport
{
    qsizetype records = 0;
    QList<CheckFinding> problems; // in file order
    QList<CheckFinding> information; // records that Private locks or protects
};

// Checks every record of the registry for what would keep the host or the
// dialogs from using it as written: a missing Type or one that the catalogue
// does not offer and that Tessel cannot show or configure; a section hidden
// by an earlier one of the same name (letter case ignored) or a name Tessel
// cannot store; a value its key does not hold by the dialogs' rules; a
// demand-load record whose DLD file cannot be read or does not declare its
// entity. Each DLD file is read once, however many records use it; a relative
// path is taken from the current directory, as the dialog takes it.
RegistryCheckReport CheckRegistry(const RegistrySnapshot &registry, const QList<CatalogueEntry> &catalogue);

} // namespace tessel
