#include "i18n/TranslationFile.h"

#include <QSet>

#include <algorithm>

namespace tessel {

namespace {

const QString English = QStringLiteral("English");

QString LanguageKey(const QString &language)
{
    return language.toCaseFolded();
}

// A language name is one word that begins with a letter other than a small
// one, such as "German" or "Chinese(Simplified)". The rule tells a language
// line from the wrapped second half of a long text that happens to hold a
// colon ("reading ICF file: ^n^1").
bool IsLanguageName(QStringView name)
{
    if (name.isEmpty() || !name.front().isLetter() || name.front().isLower())
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](QChar c) { return c.isLetterOrNumber() || QStringView(u"-_().").contains(c); });
}

// Reads the file line by line. An entry is open from its English line to the
// next blank line; translations attach to the open entry.
class TranslationParser
{
public:
    explicit TranslationParser(Translations &translations)
        : m_translations(translations)
    { }

    // Returns an empty text when the line is fine, else what is wrong with it.
    QString parseLine(QStringView line, int lineNumber)
    {
        const QStringView content = line.trimmed();
        if (content.isEmpty()) {
            m_entryEnglish.clear();
            return {};
        }
        if (content.startsWith(u'#'))
            return {};

        const qsizetype colon = content.indexOf(u':');
        if (colon < 0)
            return QStringLiteral("expected a line \"Language: text\", found \"%1\"").arg(content);
        const QString language = content.left(colon).trimmed().toString();
        const QString text = content.mid(colon + 1).trimmed().toString();
        if (!IsLanguageName(language))
            return QStringLiteral("\"%1\" is not a language name").arg(language);
        return IsEnglish(language) ? beginEntry(text, lineNumber) : addTranslation(language, text);
    }

private:
    QString beginEntry(const QString &english, int lineNumber)
    {
        if (!m_entryEnglish.isEmpty())
            return QStringLiteral("a second English text in one entry (separate entries with a "
                                  "blank line)");
        if (english.isEmpty())
            return QStringLiteral("the English text is empty");
        if (m_translations.containsEnglish(english))
            return QStringLiteral("the English text \"%1\" already has an entry at line %2")
                .arg(english)
                .arg(m_englishLines.value(english));
        m_translations.addEnglish(english);
        m_englishLines.insert(english, lineNumber);
        m_entryEnglish = english;
        m_entryLanguages.clear();
        return {};
    }

    QString addTranslation(const QString &language, const QString &text)
    {
        if (m_entryEnglish.isEmpty())
            return QStringLiteral("a %1 text outside an entry (an entry begins with its English "
                                  "text)")
                .arg(language);
        if (m_entryLanguages.contains(LanguageKey(language)))
            return QStringLiteral("a second %1 text in one entry").arg(language);
        m_entryLanguages.insert(LanguageKey(language));
        m_translations.add(m_entryEnglish, language, text);
        return {};
    }

    Translations &m_translations;
    QHash<QString, int> m_englishLines;
    QString m_entryEnglish;
    QSet<QString> m_entryLanguages;
};

} // namespace

QString Translations::lookup(const QString &english, const QString &language) const
{
    return m_texts.value(english).value(LanguageKey(language));
}

void Translations::addEnglish(const QString &english)
{
    m_texts.insert(english, {});
}

void Translations::add(const QString &english, const QString &language, const QString &translation)
{
    const bool known = std::any_of(m_languages.cbegin(), m_languages.cend(), [&](const QString &name) {
        return LanguageKey(name) == LanguageKey(language);
    });
    if (!known)
        m_languages.append(language);
    // An empty translation is one the translator has yet to write.
    if (!translation.isEmpty())
        m_texts[english].insert(LanguageKey(language), translation);
}

bool IsEnglish(QStringView language)
{
    return language.compare(English, Qt::CaseInsensitive) == 0;
}

Result<Translations> ParseTranslations(QStringView fileText)
{
    Translations translations;
    TranslationParser parser(translations);
    int lineNumber = 0;
    for (QStringView line : fileText.split(u'\n')) {
        ++lineNumber;
        const QString problem = parser.parseLine(line, lineNumber);
        if (!problem.isEmpty())
            return Failure{QStringLiteral("line %1: %2").arg(lineNumber).arg(problem)};
    }
    return translations;
}

} // namespace tessel
