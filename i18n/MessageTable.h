#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace tessel {

// The language the message table answers in; set once at start-up.
class LanguageSetting
{
public:
    void SetLanguage(const QString &name);
    const QString &language() const { return m_language; }

private:
    QString m_language = QStringLiteral("English");
};

// Expands the placeholders of a message text: "^1" to "^9" become the
// arguments of that number (an absent argument leaves nothing), "^n" a line
// break.
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
    explicit MessageTable(const LanguageSetting &language);

    // Loads the translation file; returns false with errorText set when the
    // file exists but cannot be read or parsed. A missing file leaves the table
    // empty (every text then comes back in English).
    bool LoadTable(const QString &path, QString *errorText = nullptr);

    // The translation of text in the active language, or text itself.
    QString Translate(const QString &text) const;

    // Replaces the captions of window and of all its controls (window title,
    // buttons, labels, check boxes, option buttons, frames) by their
    // translations. The English captions are remembered on the widgets, so a
    // window can be translated more than once.
    void TranslateForm(QWidget *window) const;

    // The languages the loaded file holds translations for, English aside.
    QStringList languages() const;
    bool hasTranslation(const QString &text, const QString &language) const;

private:
    const LanguageSetting &m_language;
    // English text -> language name -> translation
    QHash<QString, QHash<QString, QString>> m_translations;
};

} // namespace tessel
