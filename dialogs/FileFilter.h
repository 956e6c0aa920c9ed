#pragma once

#include <QString>

namespace tessel {

// Turns a file filter in the common dialog form, pairs of a description and
// its patterns separated by "|" ("DLD File (*.DLD)|*.DLD|"; several patterns
// of one pair separated by ";"), into the form of Qt's file dialogs: each pair
// as "description (patterns)", the pairs separated by ";;". A pattern in the
// description's own parentheses is replaced by the pair's patterns. Since file
// names on Linux tell letter case apart, each pattern is joined by its lower-
// case form, so that "*.DLD" also finds roads.dld. An incomplete last pair is
// left out.
QString QtFileFilter(const QString &commonDialogFilter);

} // namespace tessel
