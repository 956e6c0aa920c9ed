#include "tests/support/TranslationCheck.h"

#include <QKeySequence>
#include <QMap>
#include <QWidget>

#include <algorithm>

#include "controls/FormCaption.h"
#include "i18n/MessageTable.h"

namespace tessel::test {

namespace {

QStringList readableEnglishCaptions(QWidget *window)
{
    QStringList captions;
    for (const FormCaption &caption : FormCaption::ofWindow(window)) {
        const QString english = caption.english();
        const bool shows = caption.widget() == window || caption.widget()->isVisibleTo(window);
        const bool hasLetter =
            std::any_of(english.cbegin(), english.cend(), [](QChar c) { return c.isLetter(); });
        if (shows && hasLetter)
            captions.append(english);
    }
    return captions;
}

} // namespace

QStringList untranslatedCaptions(QWidget *window, const MessageTable &table, const QString &language)
{
    QStringList missing;
    for (const QString &english : readableEnglishCaptions(window)) {
        if (table.translation(english, language).isEmpty())
            missing.append(english);
    }
    return missing;
}

QStringList clashingAccessKeys(QWidget *window, const MessageTable &table, const QString &language)
{
    QMap<QString, QStringList> captionsByKey;
    for (const QString &english : readableEnglishCaptions(window)) {
        const QString translated = table.translation(english, language);
        const QString shown = translated.isEmpty() ? english : translated;
        const QKeySequence key = QKeySequence::mnemonic(shown);
        if (!key.isEmpty())
            captionsByKey[key.toString()].append(shown);
    }
    QStringList clashes;
    for (auto it = captionsByKey.cbegin(); it != captionsByKey.cend(); ++it) {
        if (it.value().size() > 1)
            clashes.append(it.key() + QStringLiteral(": ") + it.value().join(QStringLiteral(", ")));
    }
    return clashes;
}

} // namespace tessel::test
