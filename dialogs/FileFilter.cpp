#include "dialogs/FileFilter.h"

#include <QStringList>

namespace tessel {
namespace {

// The description without a parenthesised pattern list at its end.
QString bareDescription(const QString &description)
{
    const QString trimmed = description.trimmed();
    const qsizetype open = trimmed.lastIndexOf(QLatin1Char('('));
    if (open < 0 || !trimmed.endsWith(QLatin1Char(')')))
        return trimmed;
    return trimmed.left(open).trimmed();
}

QStringList patternsOf(const QString &patternList)
{
    QStringList patterns;
    const QStringList given = patternList.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &pattern : given) {
        for (const QString &form : {pattern.trimmed(), pattern.trimmed().toLower()}) {
            if (!form.isEmpty() && !patterns.contains(form))
                patterns.append(form);
        }
    }
    return patterns;
}

} // namespace

QString QtFileFilter(const QString &commonDialogFilter)
{
    const QStringList parts = commonDialogFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype index = 0; index + 1 < parts.size(); index += 2) {
        const QStringList patterns = patternsOf(parts[index + 1]);
        if (patterns.isEmpty())
            continue;
        filters.append(bareDescription(parts[index]) % QStringLiteral(" (") % patterns.join(QLatin1Char(' '))
                       % QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace tessel
