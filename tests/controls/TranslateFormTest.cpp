#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "controls/FormCaption.h"
#include "i18n/MessageTable.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TranslationCheck.h"

using namespace tessel;

namespace {

const QByteArray Translations = R"(English: Options
German: Optionen
French: Options

English: Scales
German: Maßstäbe
French: Échelles

English: All Scales
German: Alle
French: Toutes

English: Data Source Name:
German: Name der Datenquelle:

English: Description:
German: Beschreibung:
French: Description :

English: Backdrop
German: Hintergrund

English: &Cancel
German: &Abbrechen
French: &Annuler

English: &Help
German: &Hilfe
French: &Aide
)";

// A window with a caption of every kind, a text box, a caption without
// letters, a hidden button and a window of its own among its children.
class SmallWindow : public QDialog
{
public:
    SmallWindow()
    {
        setWindowTitle(QStringLiteral("Options"));
        hidden->hide();
    }

    QLabel *name = new QLabel(QStringLiteral("Data Source Name:"), this);
    QLineEdit *description = new QLineEdit(QStringLiteral("Description:"), this);
    QGroupBox *scales = new QGroupBox(QStringLiteral("Scales"), this);
    QCheckBox *allScales = new QCheckBox(QStringLiteral("All Scales"), scales);
    QLabel *ratio = new QLabel(QStringLiteral("1:"), scales);
    QRadioButton *backdrop = new QRadioButton(QStringLiteral("Backdrop"), this);
    QPushButton *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    QPushButton *help = new QPushButton(QStringLiteral("&Help"), this);
    QPushButton *hidden = new QPushButton(QStringLiteral("XXX"), this);
    QDialog *ownWindow = new QDialog(this);
    QLabel *ownWindowLabel = new QLabel(QStringLiteral("Description:"), ownWindow);
};

class TranslateFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = directory.filePath(QStringLiteral("TESSEL.LRT"));
        test::writeBytes(path, Translations);
        const Result<void> loaded = table.LoadTable(path);
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
    }

    void translateInto(const QString &name)
    {
        language.SetLanguage(name);
        TranslateForm(&window, table);
    }

    QTemporaryDir directory;
    LanguageSetting language;
    MessageTable table{language};
    SmallWindow window;
};

TEST_F(TranslateFormTest, TranslatesTitleAndCaptionsButNotTypedTextOrOtherWindows)
{
    translateInto(QStringLiteral("German"));

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Optionen"));
    EXPECT_EQ(window.name->text(), QStringLiteral("Name der Datenquelle:"));
    EXPECT_EQ(window.scales->title(), QStringLiteral("Maßstäbe"));
    EXPECT_EQ(window.allScales->text(), QStringLiteral("Alle"));
    EXPECT_EQ(window.backdrop->text(), QStringLiteral("Hintergrund"));
    EXPECT_EQ(window.cancel->text(), QStringLiteral("&Abbrechen"));
    EXPECT_EQ(window.ratio->text(), QStringLiteral("1:"));
    EXPECT_EQ(window.description->text(), QStringLiteral("Description:"));
    EXPECT_EQ(window.ownWindowLabel->text(), QStringLiteral("Description:"));
}

TEST_F(TranslateFormTest, TranslatingAgainStartsFromTheRememberedEnglish)
{
    translateInto(QStringLiteral("German"));
    translateInto(QStringLiteral("French"));
    EXPECT_EQ(window.allScales->text(), QStringLiteral("Toutes"));
    // No French text: the English one, not the German shown before.
    EXPECT_EQ(window.name->text(), QStringLiteral("Data Source Name:"));
    translateInto(QStringLiteral("English"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(window.scales->title(), QStringLiteral("Scales"));
}

// The checks that the tests of every window rely on.
TEST_F(TranslateFormTest, ChecksListReadableCaptionsWithoutTranslationAndSharedAccessKeys)
{
    EXPECT_TRUE(test::untranslatedCaptions(&window, table, QStringLiteral("German")).isEmpty());
    const QStringList missingFrench{QStringLiteral("Data Source Name:"),
                                    QStringLiteral("Backdrop")};
    EXPECT_EQ(test::untranslatedCaptions(&window, table, QStringLiteral("French")), missingFrench);

    // Captions are checked by their English text once the window is translated.
    translateInto(QStringLiteral("German"));
    EXPECT_EQ(test::untranslatedCaptions(&window, table, QStringLiteral("French")), missingFrench);
    EXPECT_TRUE(test::clashingAccessKeys(&window, table, QStringLiteral("German")).isEmpty());
    EXPECT_EQ(test::clashingAccessKeys(&window, table, QStringLiteral("French")),
              QStringList(QStringLiteral("Alt+A: &Annuler, &Aide")));
}

} // namespace
