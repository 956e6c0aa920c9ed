#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Damaged and very large files for the readers to survive.
namespace tessel::test {

// How large the large files are: small enough for every run of the suite, or,
// with TESSEL_RELIABILITY_FULL set, the sizes the release figures are taken at.
struct ReliabilitySizes
{
    qsizetype singleLineBytes = 0;
    qsizetype dldBytes = 0;
    int records = 0;

    static ReliabilitySizes FromEnvironment();
};

// A registry no reader may crash or hang on. sections are the names it holds
// when they are known without the store (not for random bytes).
struct HostileRegistry
{
    const char *what;
    QByteArray bytes;
    std::optional<QStringList> sections;
};

std::vector<HostileRegistry> HostileRegistries(const ReliabilitySizes &sizes);

// A registry of count records spread over the source types, named
// "Source 1" to "Source <count>".
QByteArray LargeRegistry(int count);

// A DLD file of at least size bytes: entity declarations ("Entity 1", ...)
// among coordinate lines; declarations receives their number.
QByteArray LargeDldFile(qsizetype size, int *declarations);

// Prints one line of the figures a reliability run reports.
void ReportFigure(const QString &text);

} // namespace tessel::test
