#include "i18n/MessageText.h"

#include "i18n/MessageTable.h"
#include "i18n/QtTranslations.h"
#include "platform/AppPaths.h"
#include "profile/ProfileStore.h"

namespace tessel {

void SelectLanguage(const QString &applicationDir, LanguageSetting &language)
{
    const QString english = QStringLiteral("English");
    const QString name = ReadProfileString(QStringLiteral("Language"), QStringLiteral("ActiveLanguage"),
                                           english, JoinPath(applicationDir, QStringLiteral("LANGUAGE.INI")));
    language.SetLanguage(name.isEmpty() ? english : name);
    UseQtTranslations(language.language());
}

QString GetMsgText(const MessageTable *table, const QString &text, const QStringList &arguments)
{
    if (!table)
        return text;
    return TextFormatter::FormatText(table->Translate(text), arguments);
}

} // namespace tessel
