#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>

#include <functional>
#include <memory>

#include "app/frmDebug.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "controls/AccessibleNames.h"
#include "controls/GeoList.h"
#include "dialogs/frmDemandConfig.h"
#include "dialogs/frmNativeConfig.h"
#include "dialogs/frmODBCConfig.h"
#include "dialogs/frmOptions.h"
#include "hostlink/HostLink.h"
#include "i18n/MessageTable.h"
#include "tests/i18n/ShippedTable.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/TestFiles.h"

using namespace tessel;

namespace {

// The controls of window that the keyboard can reach: shown with the window,
// accepting focus by Tab, and belonging to window rather than to a window of
// their own.
QList<QWidget *> reachableControls(QWidget *window)
{
    QList<QWidget *> controls;
    const QList<QWidget *> children = window->findChildren<QWidget *>();
    for (QWidget *control : children) {
        if (control->window() == window && control->isVisibleTo(window)
            && (control->focusPolicy() & Qt::TabFocus) && !control->focusProxy())
            controls.append(control);
    }
    return controls;
}

QString accessibleName(QWidget *control)
{
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// A control into which the user types or from which the user picks: it has
// no caption of its own and needs a label.
bool isBox(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control)
           || qobject_cast<const QAbstractItemView *>(control)
           || qobject_cast<const QPlainTextEdit *>(control);
}

const QLabel *labelOf(const QWidget *box)
{
    const QList<QLabel *> labels = box->window()->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (label->buddy() == box)
            return label;
    }
    return nullptr;
}

// Whether label stands in front of box as the reader meets it: on the same
// row to its left, or above it where the two overlap side by side.
bool standsInFront(const QLabel *label, const QWidget *box)
{
    if (label->parentWidget() != box->parentWidget())
        return false;
    const QRect l = label->geometry();
    const QRect b = box->geometry();
    const bool sameRow = l.top() < b.bottom() && b.top() < l.bottom();
    const bool sideBySide = l.left() < b.right() && b.left() < l.right();
    return (sameRow && l.right() <= b.left()) || (sideBySide && l.bottom() <= b.top());
}

// Where Tab stops: an exclusive group of option buttons is one stop, in which
// the arrow keys move.
QString tabStop(const QWidget *control)
{
    if (qobject_cast<const QRadioButton *>(control))
        return control->parentWidget()->objectName();
    return control->objectName();
}

class AccessibilityTest : public test::DialogFixture
{
protected:
    struct Window
    {
        std::string title;
        std::function<std::unique_ptr<QWidget>()> load;
    };

    // Every window of the program, loaded as the program loads it.
    QList<Window> everyWindow()
    {
        return {
            {"main window", [this] { return std::make_unique<frmTessel>(session, hostLink); }},
            {"type chooser",
             [this] { return std::make_unique<frmNewSrc>(session, SourceIconStrip()); }},
            {"native", [this] { return nativeDialog(1); }},
            {"native raster", [this] { return nativeDialog(2); }},
            {"demand-load", [this] { return std::make_unique<frmDemandConfig>(session); }},
            {"ODBC", [this] { return std::make_unique<frmODBCConfig>(session); }},
            {"options", [this] { return std::make_unique<frmOptions>(session); }},
            {"debug", [this] { return std::make_unique<frmDebug>(session); }},
        };
    }

    std::unique_ptr<QWidget> nativeDialog(qint16 type)
    {
        session.NativeSrcType = type;
        return std::make_unique<frmNativeConfig>(session);
    }

    static void showActive(QWidget &window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void useTable(const QByteArray &translations, const QString &language)
    {
        const QString path = tempDir.filePath(QStringLiteral("TEST.LRT"));
        test::writeBytes(path, translations);
        QString error;
        ASSERT_TRUE(table.LoadTable(path, &error)) << error.toStdString();
        useLanguage(language);
    }

    void useLanguage(const QString &language)
    {
        this->language.SetLanguage(language);
        session.messageTable = &table;
    }

    HostLink hostLink{HostCommandLine{}};
    LanguageSetting language;
    MessageTable table{language};
};

TEST(AccessibleCaption, IsTheCaptionAsReadWithoutMarkerAndClosingColon)
{
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Config&ure...")), QStringLiteral("Configure..."));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Data Source &Name:")),
              QStringLiteral("Data Source Name"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Nom de la source :")),
              QStringLiteral("Nom de la source"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Storage Name: (8 char max.)")),
              QStringLiteral("Storage Name: (8 char max.)"));
    EXPECT_EQ(AccessibleCaption(QStringLiteral("Maps && &Plans")), QStringLiteral("Maps & Plans"));
}

TEST_F(AccessibilityTest, EveryControlTheKeyboardReachesHasAnAccessibleName)
{
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.title);
        const std::unique_ptr<QWidget> loaded = window.load();
        for (QWidget *control : reachableControls(loaded.get()))
            EXPECT_FALSE(accessibleName(control).isEmpty()) << control->objectName().toStdString();
    }
}

TEST_F(AccessibilityTest, EveryBoxIsNamedByTheLabelInFrontOfIt)
{
    QStringList unlabelled;
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.title);
        const std::unique_ptr<QWidget> loaded = window.load();
        for (QWidget *control : reachableControls(loaded.get())) {
            if (!isBox(control))
                continue;
            const QLabel *label = labelOf(control);
            if (!label) {
                unlabelled.append(control->objectName());
                continue;
            }
            EXPECT_TRUE(standsInFront(label, control))
                << label->objectName().toStdString() << " for " << control->objectName().toStdString();
            EXPECT_EQ(control->accessibleName(), AccessibleCaption(label->text()));
        }
    }
    // The trace box of the debug window has no label: the window's caption names it.
    EXPECT_EQ(unlabelled, QStringList(QStringLiteral("Debug")));
    frmDebug debug(session);
    EXPECT_EQ(accessibleName(debug.findChild<QPlainTextEdit *>()),
              QStringLiteral("Tessel Debug Information"));
}

TEST_F(AccessibilityTest, NamesFollowTheActiveLanguage)
{
    ASSERT_NO_FATAL_FAILURE(test::loadShippedTable(table));
    useLanguage(QStringLiteral("German"));
    frmTessel main(session, hostLink);
    EXPECT_EQ(accessibleName(main.findChild<GeoList *>(QStringLiteral("lstSrcs"))),
              QStringLiteral("Registrierte Datenquellen"));

    useLanguage(QStringLiteral("French"));
    frmDemandConfig dialog(session);
    EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtName"))->accessibleName(),
              QStringLiteral("Nom de la source de données"));
}

TEST_F(AccessibilityTest, AccessKeyOfATranslatedLabelMovesToItsBox)
{
    ASSERT_NO_FATAL_FAILURE(useTable("English: Description:\nGerman: &Beschreibung:\n",
                                     QStringLiteral("German")));
    frmNativeConfig dialog(session);
    ASSERT_NO_FATAL_FAILURE(showActive(dialog));
    auto *description = dialog.findChild<QLineEdit *>(QStringLiteral("txtDescription"));
    ASSERT_FALSE(description->hasFocus());

    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(description->hasFocus());
    dialog.hide();
}

TEST_F(AccessibilityTest, TabReachesEveryControlOfEachWindow)
{
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.title);
        const std::unique_ptr<QWidget> loaded = window.load();
        ASSERT_NO_FATAL_FAILURE(showActive(*loaded));
        QSet<QString> expected;
        for (QWidget *control : reachableControls(loaded.get())) {
            if (control->isEnabled())
                expected.insert(tabStop(control));
        }
        QSet<QString> visited;
        // Twice round: a stop missed once is missed for good.
        for (qsizetype press = 0; press < 2 * expected.size(); ++press) {
            if (QWidget *focused = QApplication::focusWidget())
                visited.insert(tabStop(focused));
            QTest::keyClick(loaded.get(), Qt::Key_Tab);
        }
        EXPECT_EQ(visited, expected);
        loaded->hide();
    }
}

TEST_F(AccessibilityTest, AltCCancelsEveryDialogThatEnterAndEscLeaveOpen)
{
    int cancelled = 0;
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.title);
        const std::unique_ptr<QWidget> loaded = window.load();
        auto *modal = qobject_cast<ConfigDialog *>(loaded.get());
        if (!modal || !modal->findChild<QPushButton *>(QStringLiteral("cmdCancel")))
            continue;
        ConfigDialog &dialog = *modal;
        EXPECT_TRUE(execModal(dialog, [&dialog] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Return);
            EXPECT_TRUE(dialog.isVisible());
            QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
        }));
        EXPECT_EQ(dialog.Tag(), TagCancel);
        ++cancelled;
    }
    EXPECT_EQ(cancelled, 5); // the type chooser, both native kinds, demand-load, options
}

} // namespace
