#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <optional>

#include "i18n/MessageTable.h"
#include "i18n/MessageText.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace Qt::StringLiterals;

namespace {

// The active language as LANGUAGE.INI in the application directory names it,
// or English; languageIni is the file's text, or nothing for no file.
QString selectedLanguage(const std::optional<QByteArray> &languageIni)
{
    QTemporaryDir appDir;
    if (languageIni)
        test::writeBytes(appDir.filePath(QStringLiteral("LANGUAGE.INI")), *languageIni);
    LanguageSetting language;
    language.SetLanguage(QStringLiteral("before"));
    SelectLanguage(appDir.path(), language);
    return language.language();
}

TEST(SelectLanguage, TakesTheNameAsWrittenOrEnglish)
{
    EXPECT_EQ(selectedLanguage(std::nullopt), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nOther=German\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Other]\r\nActiveLanguage=German\r\n"), QStringLiteral("English"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=German\r\n"), QStringLiteral("German"));
    EXPECT_EQ(selectedLanguage("[language]\r\nactivelanguage=fRENCH\r\n"), QStringLiteral("fRENCH"));
    EXPECT_EQ(selectedLanguage("[Language]\r\nActiveLanguage=Klingon\r\n"), QStringLiteral("Klingon"));
}

// Qt's own texts follow the selected language: the buttons of a question
// and the captions of the file dialog. English brings them back.
TEST(SelectLanguage, QtsOwnTextsFollowIt)
{
    const struct
    {
        QByteArray language;
        QStringList texts; // Yes, No, "File name:", "Look in:", Cancel
    } cases[] = {
        {"German", {u"&Ja"_s, u"&Nein"_s, u"Datei&name:"_s, u"Suchen in:"_s, u"Abbrechen"_s}},
        {"fRENCH", {u"&Oui"_s, u"&Non"_s, u"&Nom de fichier :"_s, u"Voir dans :"_s, u"Annuler"_s}},
        {"English", {u"&Yes"_s, u"&No"_s, u"File &name:"_s, u"Look in:"_s, u"Cancel"_s}},
    };
    for (const auto &test : cases) {
        selectedLanguage("[Language]\r\nActiveLanguage=" + test.language + "\r\n");
        QMessageBox question;
        question.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QStringList shown = {
            question.button(QMessageBox::Yes)->text(), question.button(QMessageBox::No)->text(),
            files.findChild<QLabel *>(u"fileNameLabel"_s)->text(),
            files.findChild<QLabel *>(u"lookInLabel"_s)->text(),
            files.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text()};
        EXPECT_EQ(shown, test.texts) << test.language.constData();
    }
}

} // namespace
