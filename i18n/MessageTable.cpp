#include "i18n/MessageTable.h"

#include <QLoggingCategory>

#include <QFile>
#include <QStringDecoder>

namespace tessel {

namespace {
// tessel.i18n: the translation file; warnings and worse unless QT_LOGGING_RULES enables more.
Q_LOGGING_CATEGORY(lcMessageTable, "tessel.i18n", QtWarningMsg)
} // namespace

QString TextFormatter::FormatText(const QString &text, const QStringList &arguments)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'^' && next >= u'1' && next <= u'9') {
            result += arguments.value(next.digitValue() - 1);
            ++i;
        } else if (c == u'^' && next == u'n') {
            result += u'\n';
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

Result<void> MessageTable::LoadTable(const QString &path)
{
    const auto fail = [&](const QString &problem) {
        return Failure{QStringLiteral("The translation file %1 %2.").arg(path, problem)};
    };

    m_translations = {};
    QFile file(path);
    if (!file.exists()) {
        qCInfo(lcMessageTable) << "No translation file" << path << "- every text is English";
        return {};
    }
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot be read: %1").arg(file.errorString()));

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return fail(QStringLiteral("is not UTF-8 text"));

    Result<Translations> parsed = ParseTranslations(text);
    if (!parsed)
        return fail(QStringLiteral("is malformed at %1").arg(parsed.error()));
    m_translations = std::move(*parsed);
    return {};
}

QString MessageTable::Translate(const QString &text) const
{
    const QString translated = translation(text, m_language.language());
    return translated.isEmpty() ? text : translated;
}

QString MessageTable::translation(const QString &text, const QString &language) const
{
    return IsEnglish(language) ? text : m_translations.lookup(text, language);
}

} // namespace tessel
