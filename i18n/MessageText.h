#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

class LanguageSetting;
class MessageTable;

// Reads ActiveLanguage from LANGUAGE.INI in applicationDir ("English" when the
// file, the key or its value is missing) and hands it to language; Qt's own
// texts follow it from then on (UseQtTranslations).
void SelectLanguage(const QString &applicationDir, LanguageSetting &language);

// The message text in the active language with its placeholders filled in.
// Without a table (before start-up has created it) text comes back unchanged.
QString GetMsgText(const MessageTable *table, const QString &text, const QStringList &arguments = {});

} // namespace tessel
