#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "i18n/MessageText.h"
#include "i18n/Messages.h"
#include "tests/i18n/ShippedTable.h"

using namespace tessel;
using namespace Qt::StringLiterals;

namespace {

TEST(MessageTable, ReadsEntriesFallsBackToTheEnglishTextAndFillsInPlaceholders)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"TESSEL.LRT"_s);
    LanguageSetting language;
    MessageTable table(language);
    QString error;
    const auto load = [&] {
        const Result<void> loaded = table.LoadTable(path);
        error = loaded ? QString() : loaded.error();
        return loaded.has_value();
    };
    EXPECT_TRUE(load()) << "a missing file is no error";
    test::writeBytes(path,
                     "\xEF\xBB\xBF# comment\r\n\r\nEnglish:   Delete?  \r\n  # inside\r\n"
                     "German:L\xC3\xB6schen?\r\nFrench: Supprimer : oui ?\r\n   \r\n"
                     "English: Scales\r\nGerman: Ma\xC3\x9fst\xC3\xa4"
                     "be\r\nFrench:\r\n\r\n"
                     "English: ^1 failed: ^2\r\nGerman: ^2 bei ^1^n");
    ASSERT_TRUE(load()) << error.toStdString();
    EXPECT_EQ(table.languages(), QStringList({u"German"_s, u"French"_s}));
    const struct
    {
        const MessageTable *table;
        QString language, text;
        QStringList arguments;
        QString shown;
    } cases[] = {
        {&table, u"gERMAN"_s, u"Delete?"_s, {}, u"Löschen?"_s},
        {&table, u"French"_s, u"Delete?"_s, {}, u"Supprimer : oui ?"_s},
        {&table, u"German"_s, u"Scales"_s, {}, u"Maßstäbe"_s},
        {&table, u"French"_s, u"Scales"_s, {}, u"Scales"_s},
        {&table, u"Klingon"_s, u"Delete?"_s, {}, u"Delete?"_s},
        {&table, u"German"_s, u"^1 failed: ^2"_s, {u"DLDBUILD"_s, u"gone"_s}, u"gone bei DLDBUILD\n"_s},
        {nullptr, u"German"_s, u"^1 failed: ^2"_s, {u"DLDBUILD"_s}, u"^1 failed: ^2"_s},
        {&table, u"German"_s, u"^2 before ^1, ^1 again"_s, {u"a"_s, u"b"_s}, u"b before a, a again"_s},
        {&table, u"German"_s, u"^9^8^7^6^5^4^3^2^1"_s, u"1 2 3 4 5 6 7 8 9"_s.split(u' '), u"987654321"_s},
        {&table, u"German"_s, u"[^1]"_s, {}, u"[]"_s},
        {&table, u"German"_s, u"^1|^2"_s, {u"^2^n"_s, u"x"_s}, u"^2^n|x"_s},
        {&table, u"German"_s, u"^0 ^N ^x ^^1 end^"_s, {u"one"_s}, u"^0 ^N ^x ^one end^"_s},
    };
    for (const auto &message : cases) {
        language.SetLanguage(message.language);
        EXPECT_EQ(GetMsgText(message.table, message.text, message.arguments), message.shown);
    }

    // A refused file leaves no translation behind, neither earlier nor its own.
    const struct
    {
        QByteArray content;
        const char *problem;
    } malformed[] = {
        {"# c\nGerman: Neu\n", "line 2: a German text outside an entry"},
        {"English: New\n\nGerman: Neu\n", "line 3: a German text outside an entry"},
        {"English: New\nEnglish: Old\n", "line 2: a second English"},
        {"English: New\nGerman: Neu\nGERMAN: Neu\n", "line 3: a second GERMAN"},
        {"English: New\nGerman: Neu\n\nEnglish: New\n",
         "line 4: the English text \"New\" already has an entry at line 1"},
        {"English:\nGerman: Neu\n", "line 1: the English text is empty"},
        {"English: New\nGerman Neu\n", "line 2: expected a line"},
        {"English: Unexpected error reading\nICF file: ^n^1\n",
         "line 2: \"ICF file\" is not a language name"},
        {"English: Unexpected error reading ICF\nfile: ^n^1\n", "line 2: \"file\" is not a language name"},
        {"English: Delete?\nGerman: L\xF6schen\n", "is not UTF-8 text"},
    };
    for (const auto &bad : malformed) {
        test::writeBytes(path, bad.content);
        EXPECT_FALSE(load());
        EXPECT_TRUE(error.startsWith(u"The translation file "_s + path)
                    && error.contains(QLatin1String(bad.problem)))
            << error.toStdString();
        language.SetLanguage(u"German"_s);
        EXPECT_EQ(table.Translate(u"Delete?"_s), u"Delete?"_s) << bad.problem;
        EXPECT_EQ(table.Translate(u"New"_s), u"New"_s) << bad.problem;
    }
    ASSERT_TRUE(QFile::remove(path) && QDir(dir.path()).mkdir(u"TESSEL.LRT"_s));
    EXPECT_FALSE(load());
    EXPECT_TRUE(error.contains(u"cannot be read"_s)) << error.toStdString();
}

// Every message text that i18n/Messages.h defines, read from the source, so
// that no message can be left out of the check below.
QStringList MessageTexts()
{
    QFile header(QStringLiteral(TESSEL_SOURCE_DIR "/i18n/Messages.h"));
    EXPECT_TRUE(header.open(QIODevice::ReadOnly));
    const QString source = QString::fromUtf8(header.readAll());
    static const QRegularExpression definition(
        u"inline const QString \\w+\\s*=\\s*QStringLiteral\\(((?:\\s*\"[^\"\\\\]*\")+)\\s*\\);"_s);
    static const QRegularExpression piece(u"\"([^\"\\\\]*)\""_s);
    QStringList texts;
    for (const QRegularExpressionMatch &message : definition.globalMatch(source)) {
        QString text;
        for (const QRegularExpressionMatch &literal : piece.globalMatch(message.captured(1)))
            text += literal.captured(1);
        texts.append(text);
    }
    EXPECT_EQ(texts.size(), source.count(u"inline const QString "_s)) << "a message the check cannot read";
    return texts;
}

// Every message and entry of the shipped table in German and French, with the English text's marks.
TEST(MessageTable, TheShippedTableTranslatesEverythingCompletely)
{
    LanguageSetting language;
    MessageTable table(language);
    ASSERT_NO_FATAL_FAILURE(test::loadShippedTable(table));
    // The access key, and how often each placeholder and "&" stand; a file filter's patterns.
    const auto marks = [](const QString &text) -> QString {
        QString found = QKeySequence::mnemonic(text).isEmpty() ? u"no key"_s : u"key"_s;
        for (const QString &mark : u"& ^1 ^2 ^3 ^4 ^5 ^6 ^7 ^8 ^9"_s.split(u' '))
            found += u' ' + QString::number(text.count(mark));
        return found + u' ' + text.section(u'|', 1);
    };
    for (const QString &name : {u"German"_s, u"French"_s}) {
        for (const QString &english : MessageTexts() + table.englishTexts()) {
            const QString translated = table.translation(english, name);
            EXPECT_FALSE(translated.isEmpty()) << name.toStdString() << ": " << english.toStdString();
            EXPECT_EQ(marks(translated), marks(english)) << translated.toStdString();
        }
    }
}

// LANGUAGE.INI names the language (English when it names none); Qt's own buttons and captions follow it.
TEST(SelectLanguage, TakesTheNameAsWrittenAndQtsOwnTextsFollowIt)
{
    const struct
    {
        QByteArray languageIni;
        QString selected;
        QString texts;
    } cases[] = {
        {"[Language]\r\nActiveLanguage=German\r\n", u"German"_s,
         u"&Ja|&Nein|Datei&name:|Suchen in:|Abbrechen"_s},
        {"[language]\r\nactivelanguage=fRENCH\r\n", u"fRENCH"_s,
         u"&Oui|&Non|&Nom de fichier :|Voir dans :|Annuler"_s},
        {"[Language]\r\nActiveLanguage=\r\n", u"English"_s, u"&Yes|&No|File &name:|Look in:|Cancel"_s},
        {"[Language]\r\nActiveLanguage=Klingon\r\n", u"Klingon"_s, {}},
        {{}, u"English"_s, {}},
    };
    for (const auto &setting : cases) {
        QTemporaryDir appDir;
        if (!setting.languageIni.isEmpty())
            test::writeBytes(appDir.filePath(u"LANGUAGE.INI"_s), setting.languageIni);
        LanguageSetting language;
        SelectLanguage(appDir.path(), language);
        EXPECT_EQ(language.language(), setting.selected);
        QMessageBox question;
        question.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QStringList shown{
            question.button(QMessageBox::Yes)->text(), question.button(QMessageBox::No)->text(),
            files.findChild<QLabel *>(u"fileNameLabel"_s)->text(),
            files.findChild<QLabel *>(u"lookInLabel"_s)->text(),
            files.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text()};
        EXPECT_TRUE(setting.texts.isEmpty() || shown.join(u'|') == setting.texts)
            << shown.join(u'|').toStdString();
    }
}

} // namespace
