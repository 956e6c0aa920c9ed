#pragma once

#include <QString>
#include <QStringList>

#include "i18n/TranslationFile.h"

namespace tessel {

// The language the message table answers in; set once at start-up.
class LanguageSetting
{
public:
    void SetLanguage(const QString &name) { m_language = name; }
    const QString &language() const { return m_language; }

private:
    QString m_language = QStringLiteral("English");
};

// Expands the placeholders of a message text: "^1" to "^9" become the
// arguments of that number (an absent argument leaves nothing), "^n" a line
// break. Arguments are inserted as they are: a "^1" inside one stays.
class TextFormatter
{
public:
    static QString FormatText(const QString &text, const QStringList &arguments = {});
};

// The translation table loaded from TESSEL.LRT: English text in, the text of
// the active language out. See docs/message-table.md for the file format.
class MessageTable
{
public:
    explicit MessageTable(const LanguageSetting &language)
        : m_language(language)
    { }

    // Loads the translation file, or says why not when the file exists but
    // cannot be read or breaks the format. A missing file leaves the table
    // empty (every text then comes back in English).
    Result<void> LoadTable(const QString &path);

    // The translation of text in the active language, or text itself when the
    // table has none.
    QString Translate(const QString &text) const;

    // The languages the loaded file holds translations for, English aside.
    const QStringList &languages() const { return m_translations.languages(); }
    // The English texts the loaded file holds.
    QStringList englishTexts() const { return m_translations.englishTexts(); }

    // The translation of text into language; empty when the table has none.
    // Every text is its own English translation.
    QString translation(const QString &text, const QString &language) const;

private:
    const LanguageSetting &m_language;
    Translations m_translations;
};

} // namespace tessel
