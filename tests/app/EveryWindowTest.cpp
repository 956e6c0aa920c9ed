// What every window of the program shares: captions in each shipped
// language, names for assistive technology, and the keyboard.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QTest>

#include <optional>

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
            [&] { return std::make_unique<frmOptions>(session, DataSourceRecord::New(1), &mainWindow); },
            [&] { return std::make_unique<frmDebug>(session); },
        };
        for (const auto &load : windows) {
            const std::unique_ptr<QWidget> window = load();
            SCOPED_TRACE(window->objectName().toStdString());
            window->show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            check(*window);
            window->hide();
        }
    }

    HostLink hostLink{HostCommandLine{}};
    LanguageSetting language;
    MessageTable table{language};
};

// The controls the keyboard reaches: shown, taking the focus by Tab.
QList<QWidget *> reachable(QWidget &window)
{
    QList<QWidget *> controls = window.findChildren<QWidget *>();
    controls.removeIf([&](QWidget *c) {
        return c->window() != &window || !c->isVisibleTo(&window) || !(c->focusPolicy() & Qt::TabFocus)
            || c->focusProxy();
    });
    return controls;
}

// The name a reachable control is to have: a box the user types into or
// picks from that of its label as the label reads, the debug window's box
// (which has none) the title; any other control any name but none.
QString expectedName(const QWidget *control, const QString &name)
{
    if (!qobject_cast<const QLineEdit *>(control) && !qobject_cast<const QComboBox *>(control)
        && !qobject_cast<const QAbstractItemView *>(control)
        && !qobject_cast<const QPlainTextEdit *>(control))
        return name.isEmpty() ? u"<any>"_s : name;
    for (const QLabel *label : control->window()->findChildren<QLabel *>()) {
        if (label->buddy() == control)
            return AccessibleCaption(label->text());
    }
    const QWidget *window = control->window();
    return window->objectName() == u"frmDebug"_s ? AccessibleCaption(window->windowTitle())
                                                 : u"<its label>"_s;
}

// Where a control draws: a label, check box or option button its caption at
// the caption's size, aligned within its place; other controls their place.
QRect drawnRect(const QWidget *control)
{
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    if (const auto *label = qobject_cast<const QLabel *>(control))
        alignment = label->alignment();
    else if (!qobject_cast<const QCheckBox *>(control) && !qobject_cast<const QRadioButton *>(control))
        return control->geometry();
    return QStyle::alignedRect(control->layoutDirection(), alignment,
                               control->sizeHint().boundedTo(control->size()), control->geometry());
}

// The controls of the window and its frames that draw outside their container
// or over another control of it.
QStringList untidyControls(const QWidget &window)
{
    QList<const QWidget *> shown;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        const QWidget *container = control->parentWidget();
        if (control->window() == &window && control->isVisibleTo(&window)
            && (container == &window || qobject_cast<const QGroupBox *>(container)))
            shown.append(control);
    }
    QStringList untidy;
    for (const QWidget *control : shown) {
        if (!control->parentWidget()->contentsRect().contains(drawnRect(control)))
            untidy.append(control->objectName() + u" leaves its container"_s);
        for (const QWidget *other : shown) {
            if (other->parentWidget() == control->parentWidget()
                && control->objectName() < other->objectName()
                && drawnRect(control).intersects(drawnRect(other)))
                untidy.append(control->objectName() + u" overlaps "_s + other->objectName());
        }
    }
    return untidy;
}

// A control's caption, the space the style leaves for its text and the space the text needs.
struct Caption
{
    QString text;
    QRect room, needed;
};

std::optional<Caption> captionOf(const QWidget *control)
{
    const QStyle *style = control->style();
    const auto measured = [control](const QString &text, const QRect &room, int flags = 0) {
        return Caption{text, room,
                       control->fontMetrics().boundingRect(room, Qt::TextShowMnemonic | flags, text)};
    };
    if (const auto *label = qobject_cast<const QLabel *>(control))
        return measured(label->text(), label->contentsRect(), label->wordWrap() ? Qt::TextWordWrap : 0);
    if (const auto *group = qobject_cast<const QGroupBox *>(control)) {
        // The style sizes a frame's title to its text: it must lie inside the frame.
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = group->title();
        option.subControls = QStyle::SC_GroupBoxLabel;
        return Caption{group->title(), group->rect(),
                       style->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group)};
    }
    const auto *button = qobject_cast<const QAbstractButton *>(control);
    const bool box = qobject_cast<const QCheckBox *>(control),
               option = qobject_cast<const QRadioButton *>(control);
    if (!button || !(box || option || qobject_cast<const QPushButton *>(control)))
        return std::nullopt;
    QStyleOptionButton look;
    look.initFrom(button);
    look.text = button->text();
    const auto element = box ? QStyle::SE_CheckBoxContents
        : option             ? QStyle::SE_RadioButtonContents
                             : QStyle::SE_PushButtonContents;
    return measured(button->text(), style->subElementRect(element, &look, button));
}

// The shown captions of window that need more room than the style leaves for their text.
QStringList clippedCaptions(const QWidget &window)
{
    QStringList clipped;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        const std::optional<Caption> caption = captionOf(control);
        if (!caption || caption->text.isEmpty() || control->window() != &window
            || !control->isVisibleTo(&window))
            continue;
        if (caption->needed.width() > caption->room.width()
            || caption->needed.height() > caption->room.height()
            || !caption->room.contains(caption->needed.topLeft()))
            clipped.append(u"%1 \"%2\" needs %3x%4 in %5x%6"_s.arg(control->objectName(), caption->text)
                               .arg(caption->needed.width())
                               .arg(caption->needed.height())
                               .arg(caption->room.width())
                               .arg(caption->room.height()));
    }
    return clipped;
}

// In English and each shipped language, every window has its title and
// captions translated, without two captions sharing an access key, and every
// control the keyboard reaches has a name: a box that of its label, as the
// label reads (without its access key marker and closing colon). The debug
// window's box alone has no label: the title names it. Tab and Shift+Tab each
// visit every enabled control that takes the focus (a group of option
// buttons is one stop). Every caption fits the space the style leaves for its
// text. No control draws outside its frame or over another.
// Esc and Enter leave a dialog with a Cancel button
// open; Alt+C cancels it. The access key of a translated label moves the
// focus to its box.
TEST_F(EveryWindowTest, IsTranslatedNamedAndReachedByTheKeyboard)
{
    const std::pair<QString, QString> captions[] = {
        {u"Config&ure..."_s, u"Configure..."_s},
        {u"Nom de la source :"_s, u"Nom de la source"_s},
        {u"Maps && &Plans: "_s, u"Maps & Plans"_s},
        {u"Storage Name: (8 char max.)"_s, u"Storage Name: (8 char max.)"_s}};
    for (const auto &[caption, read] : captions)
        EXPECT_EQ(AccessibleCaption(caption), read);
    const auto stop = [](const QWidget *control) {
        return qobject_cast<const QRadioButton *>(control) ? control->parentWidget()->objectName()
                                                           : control->objectName();
    };
    int cancelled = 0;
    ASSERT_NO_FATAL_FAILURE(loadShippedTable(table));
    session.messageTable = &table;
    for (const QString &target : QStringList{u"English"_s} + table.languages()) {
        language.SetLanguage(target);
        QStringList titles;
        for (const QString &english : table.englishTexts())
            titles.append(table.translation(english, target));
        forEachWindow([&](QWidget &window) {
            SCOPED_TRACE(target.toStdString());
            if (target != u"English"_s) {
                EXPECT_EQ(untranslatedCaptions(&window, table, target)
                              + clashingAccessKeys(&window, table, target),
                          QStringList());
                EXPECT_TRUE(titles.contains(window.windowTitle())) << window.windowTitle().toStdString();
            }
            QSet<QString> expected;
            for (QWidget *control : reachable(window)) {
                const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
                EXPECT_EQ(name, expectedName(control, name)) << control->objectName().toStdString();
                if (control->isEnabled())
                    expected.insert(stop(control));
            }
            EXPECT_EQ(clippedCaptions(window), QStringList());
            if (target != u"English"_s)
                return;
            EXPECT_EQ(untidyControls(window), QStringList());
            for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
                QSet<QString> visited;
                for (qsizetype press = 0; press < 2 * expected.size(); ++press) {
                    if (QWidget *focused = QApplication::focusWidget())
                        visited.insert(stop(focused));
                    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, key);
                }
                EXPECT_EQ(visited, expected) << (key == Qt::Key_Tab ? "Tab" : "Shift+Tab");
            }
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
            }
        });
    }
    EXPECT_EQ(cancelled, 5);
    const QString path = tempDir.filePath(u"TEST.LRT"_s);
    writeBytes(path, "English: Description:\nGerman: &Beschreibung:\n");
    ASSERT_TRUE(table.LoadTable(path));
    language.SetLanguage(u"German"_s);
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(dialog.findChild<QLineEdit *>(u"txtDescription"_s)->hasFocus());
    dialog.hide();
}

} // namespace
