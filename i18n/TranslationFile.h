#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>

#include "platform/Result.h"

namespace tessel {

// English texts and their translations by language. Language names match
// without regard to letter case; English itself is not one of them.
class Translations
{
public:
    // The translation of english into language; empty when there is none.
    QString lookup(const QString &english, const QString &language) const;

    // The languages named in the file, in the order they first appear.
    const QStringList &languages() const { return m_languages; }

    // The English texts of the file, in no particular order.
    QStringList englishTexts() const { return m_texts.keys(); }

    bool containsEnglish(const QString &english) const { return m_texts.contains(english); }
    void addEnglish(const QString &english);
    void add(const QString &english, const QString &language, const QString &translation);

private:
    QStringList m_languages;
    // English text -> case-folded language name -> translation
    QHash<QString, QHash<QString, QString>> m_texts;
};

// True for the name of the language every text is written in.
bool IsEnglish(QStringView language);

// Reads the text of a translation file (the format is described in
// docs/message-table.md), or says which line breaks a rule and how.
Result<Translations> ParseTranslations(QStringView fileText);

} // namespace tessel
