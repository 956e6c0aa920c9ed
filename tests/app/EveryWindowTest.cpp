// What every window of the program shares: captions in each shipped
// language, names for assistive technology, and the keyboard.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>

#include "app/frmDebug.h"
#include "app/frmNewSrc.h"
#include "app/frmTessel.h"
#include "controls/AccessibleNames.h"
#include "controls/ControlHelpers.h"
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
#include "tests/support/TranslationCheck.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

class EveryWindowTest : public DialogFixture
{
protected:
    // Every window, loaded as the program loads it, each shown in turn.
    void forEachWindow(const std::function<void(QWidget &)> &check)
    {
        const std::function<std::unique_ptr<QWidget>()> windows[] = {
            [&] { return std::make_unique<frmTessel>(session, hostLink); },
            [&] { return std::make_unique<frmNewSrc>(session, SourceIconStrip(), &mainWindow); },
            [&] { return std::make_unique<frmNativeConfig>(session, recordName, 1, &mainWindow); },
            [&] { return std::make_unique<frmNativeConfig>(session, recordName, 2, &mainWindow); },
            [&] { return std::make_unique<frmDemandConfig>(session, recordName, &mainWindow); },
            [&] { return std::make_unique<frmODBCConfig>(session, &mainWindow); },
            [&] { return std::make_unique<frmOptions>(session, recordName, &mainWindow); },
            [&] { return std::make_unique<frmDebug>(session); },
        };
        for (const auto &load : windows) {
            const std::unique_ptr<QWidget> window = load();
            SCOPED_TRACE(window->objectName().toStdString());
            window->show();
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            check(*window);
            window->hide();
        }
    }

    void useLanguage(const QString &name)
    {
        language.SetLanguage(name);
        session.messageTable = &table;
    }

    HostLink hostLink{HostCommandLine{}};
    LanguageSetting language;
    MessageTable table{language};
};

// The controls the keyboard reaches: shown, taking the focus by Tab.
QList<QWidget *> reachable(QWidget &window)
{
    QList<QWidget *> controls;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        if (control->window() == &window && control->isVisibleTo(&window)
            && (control->focusPolicy() & Qt::TabFocus) && !control->focusProxy())
            controls.append(control);
    }
    return controls;
}

// A box the user types into or picks from: it is named by its label.
bool isBox(const QWidget *control)
{
    return qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control)
        || qobject_cast<const QAbstractItemView *>(control) || qobject_cast<const QPlainTextEdit *>(control);
}

const QLabel *labelOf(const QWidget *box)
{
    for (const QLabel *label : box->window()->findChildren<QLabel *>()) {
        if (label->buddy() == box)
            return label;
    }
    return nullptr;
}

// A label stands in front of its box: on its row to the left, or above it.
bool standsInFront(const QLabel *label, const QWidget *box)
{
    const QRect l = label->geometry(), b = box->geometry();
    return label->parentWidget() == box->parentWidget()
        && ((l.top() < b.bottom() && b.top() < l.bottom() && l.right() <= b.left())
            || (l.left() < b.right() && b.left() < l.right() && l.bottom() <= b.top()));
}

// In English and each shipped language, every window has its title and
// captions translated, without two captions sharing an access key, and every
// control the keyboard reaches has a name: a box that of the label in front
// of it, as the label reads (without its access key marker and closing
// colon). The debug window's box alone has no label: the title names it.
TEST_F(EveryWindowTest, IsTranslatedAndNamesEveryReachableControl)
{
    const std::pair<QString, QString> captions[] = {{u"Config&ure..."_s, u"Configure..."_s},
        {u"Nom de la source :"_s, u"Nom de la source"_s}, {u"Maps && &Plans: "_s, u"Maps & Plans"_s},
        {u"Storage Name: (8 char max.)"_s, u"Storage Name: (8 char max.)"_s}};
    for (const auto &[caption, read] : captions)
        EXPECT_EQ(AccessibleCaption(caption), read);
    ASSERT_NO_FATAL_FAILURE(loadShippedTable(table));
    ASSERT_FALSE(table.languages().isEmpty());
    for (const QString &target : QStringList{u"English"_s} + table.languages()) {
        useLanguage(target);
        QStringList titles;
        for (const QString &english : table.englishTexts())
            titles.append(table.translation(english, target));
        forEachWindow([&](QWidget &window) {
            SCOPED_TRACE(target.toStdString());
            if (target != u"English"_s) {
                EXPECT_EQ(untranslatedCaptions(&window, table, target), QStringList());
                EXPECT_EQ(clashingAccessKeys(&window, table, target), QStringList());
                EXPECT_TRUE(titles.contains(window.windowTitle())) << window.windowTitle().toStdString();
            }
            for (QWidget *control : reachable(window)) {
                const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                const QLabel *label = isBox(control) ? labelOf(control) : nullptr;
                const bool debugBox = isBox(control) && window.objectName() == u"frmDebug"_s;
                EXPECT_FALSE(name.isEmpty()) << control->objectName().toStdString();
                EXPECT_TRUE(label ? standsInFront(label, control) && name == AccessibleCaption(label->text())
                                  : !isBox(control) || (debugBox && name == AccessibleCaption(window.windowTitle())))
                    << control->objectName().toStdString() << " " << name.toStdString();
            }
        });
    }
}

// The access key of a translated label moves the focus to its box.
TEST_F(EveryWindowTest, TheAccessKeyOfATranslatedLabelReachesItsBox)
{
    const QString path = tempDir.filePath(u"TEST.LRT"_s);
    writeBytes(path, "English: Description:\nGerman: &Beschreibung:\n");
    ASSERT_TRUE(table.LoadTable(path));
    useLanguage(u"German"_s);
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(dialog.findChild<QLineEdit *>(u"txtDescription"_s)->hasFocus());
    dialog.hide();
}

// Tab and Shift+Tab each visit every enabled control that takes the focus
// (a group of option buttons is one stop); no box keeps the focus. Alt with
// a letter that no enabled control takes types nothing into a box. Esc and
// Enter leave a dialog with a Cancel button open; Alt+C cancels it.
TEST_F(EveryWindowTest, TheKeyboardReachesEveryControlAndCancelsEveryDialog)
{
    int cancelled = 0;
    const auto stop = [](const QWidget *control) {
        return qobject_cast<const QRadioButton *>(control) ? control->parentWidget()->objectName() : control->objectName();
    };
    forEachWindow([&](QWidget &window) {
        auto *dialog = qobject_cast<ConfigDialog *>(&window);
        if (dialog && dialog->findChild<QPushButton *>(u"cmdCancel"_s)) {
            ++cancelled;
            window.hide();
            EXPECT_TRUE(execModal(*dialog, [dialog] {
                QTest::keyClick(dialog, Qt::Key_Escape);
                QTest::keyClick(dialog, Qt::Key_Return);
                EXPECT_TRUE(dialog->isVisible());
                QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
            }));
            EXPECT_EQ(dialog->Tag(), TagCancel);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        }
        QSet<QString> expected;
        QSet<QChar> taken;
        for (QWidget *control : reachable(window)) {
            if (control->isEnabled())
                expected.insert(stop(control));
        }
        for (const QWidget *control : window.findChildren<QWidget *>()) {
            const auto *label = qobject_cast<const QLabel *>(control);
            const QWidget *target = label ? label->buddy() : control;
            const QString caption = control->property("text").toString();
            const qsizetype marker = caption.indexOf(u'&');
            if (target && target->isEnabled() && target->isVisibleTo(&window) && marker >= 0 && marker + 1 < caption.size()
                && (label || qobject_cast<const QAbstractButton *>(control)))
                taken.insert(caption.at(marker + 1).toLower());
        }
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            QSet<QString> visited;
            for (qsizetype press = 0; press < 2 * expected.size(); ++press) {
                QWidget *focused = QApplication::focusWidget();
                if (focused)
                    visited.insert(stop(focused));
                QTest::keyClick(focused ? focused : &window, key);
            }
            EXPECT_EQ(visited, expected) << (key == Qt::Key_Tab ? "Tab" : "Shift+Tab");
        }
        for (QWidget *control : window.findChildren<QWidget *>()) {
            auto *line = qobject_cast<QLineEdit *>(control);
            auto *text = qobject_cast<QPlainTextEdit *>(control);
            if ((!line && !text) || !control->isEnabled() || !control->isVisibleTo(&window))
                continue;
            line ? line->setText(u"Roads"_s) : text->setPlainText(u"Roads"_s);
            control->setFocus();
            line ? line->selectAll() : text->selectAll();
            for (char letter = 'a'; letter <= 'z'; ++letter) {
                if (!taken.contains(QLatin1Char(letter)))
                    QTest::keyClick(window.windowHandle(), Qt::Key(Qt::Key_A + letter - 'a'), Qt::AltModifier);
            }
            EXPECT_EQ(line ? line->text() : text->toPlainText(), u"Roads"_s) << control->objectName().toStdString();
            EXPECT_TRUE(window.isVisible());
        }
    });
    EXPECT_EQ(cancelled, 5);
}

} // namespace
