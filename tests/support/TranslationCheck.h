#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tessel {
class MessageTable;
}

namespace tessel::test {

// Checks of a window's captions against a loaded message table. Only captions
// the user reads count: the window title and the captions of controls that
// show when the window shows, leaving out those without a letter (such as
// "1:"). Each caption is taken by its English text, also when the window has
// already been translated.

// The English captions that table has no translation for in language.
QStringList untranslatedCaptions(QWidget *window, const MessageTable &table, const QString &language);

// The access keys that more than one caption uses once translated into
// language (a caption without a translation counts with its English text),
// each as "key: caption, caption".
QStringList clashingAccessKeys(QWidget *window, const MessageTable &table, const QString &language);

} // namespace tessel::test
