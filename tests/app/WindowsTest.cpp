// Every window of the program: where its controls stand (15 twips a pixel),
// its captions in each shipped language, and how the keyboard and assistive
// technology reach its controls.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QTest>

#include <functional>
#include <memory>

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

// A control of a window's design: its container (empty for the window
// itself) and its caption (a frame's title, else the control's text).
struct DesignedControl
{
    const char *name;
    const char *container;
    QString caption = {};
};

void expectControls(const QWidget &window, const QString &title, const QList<DesignedControl> &design)
{
    EXPECT_EQ(window.windowTitle(), title);
    for (const DesignedControl &designed : design) {
        SCOPED_TRACE(designed.name);
        const auto *control = window.findChild<QWidget *>(QLatin1String(designed.name));
        ASSERT_NE(control, nullptr);
        const QString container = QLatin1String(designed.container);
        EXPECT_EQ(control->parentWidget()->objectName(),
                  container.isEmpty() ? window.objectName() : container);
        const auto *frame = qobject_cast<const QGroupBox *>(control);
        EXPECT_EQ(frame ? frame->title() : control->property("text").toString(), designed.caption);
    }
}

// The width a control's caption needs to be read whole.
int captionWidth(const QWidget *control)
{
    if (qobject_cast<const QLabel *>(control) || qobject_cast<const QCheckBox *>(control)
        || qobject_cast<const QRadioButton *>(control))
        return control->sizeHint().width();
    if (const auto *button = qobject_cast<const QPushButton *>(control)) {
        const QString caption = QString(button->text()).remove(u'&');
        return button->fontMetrics().horizontalAdvance(caption) + 6;
    }
    return 0;
}

// Where a control draws: a label, check box or option button draws its
// caption at the caption's size, aligned within its place; other controls
// fill their place.
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

// The controls of the window and of its frames that the user sees: each
// draws inside its container (a frame's inside is below its title), none
// draws over another, and each caption fits its control.
QStringList untidyControls(const QWidget &window)
{
    QList<const QWidget *> shown;
    const QList<QWidget *> children = window.findChildren<QWidget *>();
    for (const QWidget *control : children) {
        const QWidget *container = control->parentWidget();
        if (control->window() == &window && control->isVisibleTo(&window)
            && (container == &window || qobject_cast<const QGroupBox *>(container)))
            shown.append(control);
    }
    QStringList untidy;
    for (const QWidget *control : shown) {
        const QString name = control->objectName();
        if (!control->parentWidget()->contentsRect().contains(drawnRect(control)))
            untidy.append(name + u" leaves its container"_s);
        if (captionWidth(control) > control->width())
            untidy.append(name + u" cuts its caption"_s);
        for (const QWidget *other : shown) {
            if (other != control && other->parentWidget() == control->parentWidget()
                && name < other->objectName() && drawnRect(control).intersects(drawnRect(other)))
                untidy.append(name + u" overlaps "_s + other->objectName());
        }
    }
    return untidy;
}

// A window that cannot be resized and shows the form font; a dialog has
// neither minimise nor maximise button and opens centred over the main window.
void expectFixedFrame(const QWidget &window, const QWidget &mainWindow)
{
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.font().family(), u"Arial"_s);
    EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.25);
    if (!qobject_cast<const ConfigDialog *>(&window))
        return;
    EXPECT_FALSE(window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.pos(), mainWindow.pos() + QPoint((mainWindow.width() - window.width()) / 2,
                                                      (mainWindow.height() - window.height()) / 2));
}

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

void showActive(QWidget &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

class WindowsTest : public DialogFixture
{
protected:
    struct Window
    {
        std::string name;
        std::function<std::unique_ptr<QWidget>()> load;
    };

    // Every window of the program, loaded as the program loads it.
    QList<Window> everyWindow()
    {
        return {
            {"main window", [this] { return std::make_unique<frmTessel>(session, hostLink); }},
            {"type chooser", [this] { return std::make_unique<frmNewSrc>(session, SourceIconStrip(), &mainWindow); }},
            {"native", [this] { return nativeDialog(1); }},
            {"native raster", [this] { return nativeDialog(2); }},
            {"demand-load", [this] { return std::make_unique<frmDemandConfig>(session, recordName, &mainWindow); }},
            {"ODBC", [this] { return std::make_unique<frmODBCConfig>(session, &mainWindow); }},
            {"options", [this] { return std::make_unique<frmOptions>(session, recordName, &mainWindow); }},
            {"debug", [this] { return std::make_unique<frmDebug>(session); }},
        };
    }

    std::unique_ptr<QWidget> nativeDialog(qint16 type)
    {
        return std::make_unique<frmNativeConfig>(session, recordName, type, &mainWindow);
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

TEST_F(WindowsTest, MainWindowDesign)
{
    frmTessel window(session, hostLink);
    expectControls(window, u"VelumGIS Datasource Registration"_s, {
        {"Label1", "", u"Registered Datasources:"_s},
        {"lstSrcs", ""},
        {"cmdAdd", "", u"&New..."_s},
        {"cmdDelete", "", u"&Delete"_s},
        {"cmdConfig", "", u"Config&ure..."_s},
        {"cmdClose", "", u"&Close"_s},
        {"cmdShutdown", "", u"XXX"_s},
        {"picIcons", ""},
    });
    expectFixedFrame(window, mainWindow);
    // The hidden button and the icon strip lie outside what the user sees.
    EXPECT_TRUE(window.findChild<QWidget *>(u"cmdShutdown"_s)->isHidden());
    EXPECT_TRUE(window.findChild<QWidget *>(u"picIcons"_s)->isHidden());
}

TEST_F(WindowsTest, TypeChooserDesign)
{
    frmNewSrc chooser(session, SourceIconStrip(), &mainWindow);
    expectControls(chooser, u"New Data Source"_s, {
        {"Label1", "", u"Select type of new Datasource:"_s},
        {"lstSrcTypes", ""},
        {"cmdOK", "", u"&OK"_s},
        {"cmdCancel", "", u"&Cancel"_s},
    });
    expectFixedFrame(chooser, mainWindow);
}

TEST_F(WindowsTest, DebugWindowDesign)
{
    frmDebug window(session);
    expectControls(window, u"Tessel Debug Information"_s, {{"Debug", ""}});
    expectFixedFrame(window, mainWindow);
    EXPECT_EQ(window.findChild<QPlainTextEdit *>()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(WindowsTest, NativeDialogDesignAndTabOrder)
{
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    expectControls(dialog, u"Configure Native Data Source"_s, {
        {"Label1", "", u"Data Source Name:"_s},
        {"txtName", ""},
        {"Label2", "", u"Description:"_s},
        {"txtDescription", ""},
        {"Frame3D1", "", u"Source"_s},
        {"Label3", "Frame3D1", u"Storage Name: (8 char max.)"_s},
        {"txtStorage", "Frame3D1"},
        {"chkReadOnly", "Frame3D1", u"Read Only"_s},
        {"Label4", "Frame3D1", u"SourceID:"_s},
        {"txtID", "Frame3D1"},
        {"chkAutoID", "Frame3D1", u"Automatic"_s},
        {"Frame3D3", "", u"Area Capabilites"_s},
        {"chkCreate", "Frame3D3", u"Allow Creation"_s},
        {"chkImport", "Frame3D3", u"Allow Import"_s},
        {"chkExport", "Frame3D3", u"Allow Export"_s},
        {"chkUnload", "Frame3D3", u"Allow Unloads"_s},
        {"Frame3D2", "", u"Attributes"_s},
        {"optBackdrop", "Frame3D2", u"Backdrop"_s},
        {"optReadOnly", "Frame3D2", u"Read Only"_s},
        {"optEditable", "Frame3D2", u"Editable"_s},
        {"cmdOK", "", u"&OK"_s},
        {"cmdCancel", "", u"&Cancel"_s},
        {"cmdHelp", "", u"&Help"_s},
        {"cmdOptions", "", u"O&ptions..."_s},
    });
    expectFixedFrame(dialog, mainWindow);
    EXPECT_FALSE(dialog.findChild<QPushButton *>(u"cmdHelp"_s)->isEnabled());

    // The option group is one stop, at its selected option.
    const QStringList tabOrder = {
        u"txtName"_s,   u"txtDescription"_s, u"txtStorage"_s,  u"chkReadOnly"_s, u"txtID"_s,
        u"chkAutoID"_s, u"chkCreate"_s,      u"cmdOK"_s,       u"cmdOptions"_s,  u"cmdHelp"_s,
        u"cmdCancel"_s, u"optEditable"_s,    u"chkImport"_s,   u"chkExport"_s,   u"chkUnload"_s};
    QStringList focusChain;
    QWidget *widget = dialog.findChild<QWidget *>(u"txtName"_s);
    while (focusChain.size() < tabOrder.size()) {
        if (widget->focusPolicy() & Qt::TabFocus)
            focusChain.append(widget->objectName());
        widget = widget->nextInFocusChain();
    }
    EXPECT_EQ(focusChain, tabOrder);
}

TEST_F(WindowsTest, DemandLoadDialogDesign)
{
    frmDemandConfig dialog(session, recordName, &mainWindow);
    expectControls(dialog, u"Configure Demand Load Datasource"_s, {
        {"Label1", "", u"Data Source Name:"_s},
        {"txtName", ""},
        {"Label2", "", u"Description:"_s},
        {"txtDescription", ""},
        {"cmdOK", "", u"&OK"_s},
        {"cmdCancel", "", u"&Cancel"_s},
        {"Frame3D1", "", u"Source"_s},
        {"Label3", "Frame3D1", u"DLD File:"_s},
        {"txtDLD", "Frame3D1"},
        {"cmdBrowse", "Frame3D1", u"Browse..."_s},
        {"cmdDLD", "Frame3D1", u"DLD Builder..."_s},
        {"Label4", "Frame3D1", u"Entity:"_s},
        {"cmbEntities", "Frame3D1"},
        {"Label5", "Frame3D1", u"Source ID:"_s},
        {"txtID", "Frame3D1"},
        {"chkAutoID", "Frame3D1", u"Automatic"_s},
        {"chkReadOnly", "Frame3D1", u"Read Only"_s},
        {"cmdOptions", "Frame3D1", u"O&ptions..."_s},
    });
    expectFixedFrame(dialog, mainWindow);
    EXPECT_FALSE(dialog.findChild<QComboBox *>(u"cmbEntities"_s)->isEditable());
    for (const char *label : {"Label2", "Label4"}) {
        const QFont font = dialog.findChild<QLabel *>(QLatin1String(label))->font();
        EXPECT_EQ(font.family(), u"MS Sans Serif"_s) << label;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25) << label;
    }
}

TEST_F(WindowsTest, OptionsDialogDesign)
{
    frmOptions form(session, recordName, &mainWindow);
    expectControls(form, u"Options"_s, {
        {"cmdCancel", "", u"&Cancel"_s},
        {"cmdOK", "", u"&OK"_s},
        {"chkAuto", "", u"Auto-Connect for new documents"_s},
        {"Frame2", "", u"Draw Order"_s},
        {"txtPriority", "Frame2", u"127"_s},
        {"Label7", "Frame2", u"Relative Priority (0-255):"_s},
        {"Frame1", "", u"Scales"_s},
        {"chkAllScales", "Frame1", u"All Scales"_s},
        {"txtOverViewScale", "Frame1", u"0"_s},
        {"txtMaxScale", "Frame1", u"0"_s},
        {"txtMinScale", "Frame1", u"0"_s},
        {"lblOverview1", "Frame1", u"1:"_s},
        {"Label5", "Frame1", u"1:"_s},
        {"Label4", "Frame1", u"1:"_s},
        {"lblOverviewScale", "Frame1", u"Overview Render Scale:"_s},
        {"Label2", "Frame1", u"Maximum Active Scale:"_s},
        {"Label1", "Frame1", u"Minimum Active Scale:"_s},
    });
    expectFixedFrame(form, mainWindow);
}

// In every window no control leaves its container or overlaps another, and
// every caption is read whole.
TEST_F(WindowsTest, EveryWindowIsLaidOutWithoutOverlaps)
{
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.name);
        const std::unique_ptr<QWidget> loaded = window.load();
        EXPECT_EQ(untidyControls(*loaded), QStringList());
    }
}

TEST_F(WindowsTest, OdbcDialogIsAResizableNotice)
{
    frmODBCConfig dialog(session, &mainWindow);
    EXPECT_EQ(dialog.windowTitle(), u"ODBC Config"_s);
    EXPECT_TRUE(dialog.findChildren<QWidget *>().isEmpty());
    EXPECT_NE(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);

    // The notice: black words on white at the top left, the window's own
    // background beyond it.
    const QImage shot = dialog.grab().toImage();
    int dark = 0;
    for (int y = 0; y < 214; ++y) {
        for (int x = 0; x < 200; ++x)
            dark += qGray(shot.pixel(x, y)) < 64;
    }
    EXPECT_EQ(shot.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_GT(dark, 500);
    EXPECT_NE(shot.pixel(202, 216), qRgb(255, 255, 255));
}

// Each window loads with its title in the active language, and every caption
// the user reads has a translation, without two captions sharing an access key.
TEST_F(WindowsTest, EveryWindowIsTranslatedIntoEachShippedLanguage)
{
    ASSERT_NO_FATAL_FAILURE(loadShippedTable(table));
    ASSERT_FALSE(table.languages().isEmpty());
    for (const QString &target : table.languages()) {
        useLanguage(target);
        QStringList translations;
        for (const QString &english : table.englishTexts())
            translations.append(table.translation(english, target));
        for (const Window &window : everyWindow()) {
            SCOPED_TRACE(window.name + " in " + target.toStdString());
            const std::unique_ptr<QWidget> loaded = window.load();
            EXPECT_EQ(untranslatedCaptions(loaded.get(), table, target), QStringList());
            EXPECT_EQ(clashingAccessKeys(loaded.get(), table, target), QStringList());
            EXPECT_TRUE(translations.contains(loaded->windowTitle()))
                << loaded->windowTitle().toStdString();
        }
    }
}

TEST(AccessibleCaption, IsTheCaptionAsReadWithoutMarkerAndClosingColon)
{
    EXPECT_EQ(AccessibleCaption(u"Config&ure..."_s), u"Configure..."_s);
    EXPECT_EQ(AccessibleCaption(u"Data Source &Name:"_s), u"Data Source Name"_s);
    EXPECT_EQ(AccessibleCaption(u"Nom de la source :"_s), u"Nom de la source"_s);
    EXPECT_EQ(AccessibleCaption(u"Storage Name: (8 char max.)"_s), u"Storage Name: (8 char max.)"_s);
    EXPECT_EQ(AccessibleCaption(u"Maps && &Plans"_s), u"Maps & Plans"_s);
}

// Every control the keyboard reaches is announced by a name; a box by the
// label in front of it, as that label reads in the active language.
TEST_F(WindowsTest, EveryReachableControlIsNamedInTheActiveLanguage)
{
    ASSERT_NO_FATAL_FAILURE(loadShippedTable(table));
    for (const QString &target : QStringList{u"English"_s} + table.languages()) {
        useLanguage(target);
        QStringList unlabelled;
        for (const Window &window : everyWindow()) {
            SCOPED_TRACE(window.name + " in " + target.toStdString());
            const std::unique_ptr<QWidget> loaded = window.load();
            for (QWidget *control : reachableControls(loaded.get())) {
                const std::string name = control->objectName().toStdString();
                EXPECT_FALSE(accessibleName(control).isEmpty()) << name;
                const QLabel *label = isBox(control) ? labelOf(control) : nullptr;
                if (isBox(control) && !label)
                    unlabelled.append(control->objectName());
                if (!label)
                    continue;
                EXPECT_TRUE(standsInFront(label, control)) << label->objectName().toStdString() << " " << name;
                EXPECT_EQ(accessibleName(control), AccessibleCaption(label->text())) << name;
            }
        }
        // The trace box of the debug window has no label: the window's caption names it.
        EXPECT_EQ(unlabelled, QStringList(u"Debug"_s));
    }
    frmDebug debug(session);
    EXPECT_EQ(accessibleName(debug.findChild<QPlainTextEdit *>()),
              table.Translate(u"Tessel Debug Information"_s));
}

TEST_F(WindowsTest, AccessKeyOfATranslatedLabelMovesToItsBox)
{
    const QString path = tempDir.filePath(u"TEST.LRT"_s);
    writeBytes(path, "English: Description:\nGerman: &Beschreibung:\n");
    ASSERT_TRUE(table.LoadTable(path));
    useLanguage(u"German"_s);
    frmNativeConfig dialog(session, recordName, 1, &mainWindow);
    ASSERT_NO_FATAL_FAILURE(showActive(dialog));
    auto *description = dialog.findChild<QLineEdit *>(u"txtDescription"_s);
    ASSERT_FALSE(description->hasFocus());
    QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
    QTRY_VERIFY(description->hasFocus());
    dialog.hide();
}

// Tab and Shift+Tab each visit every control that takes the focus; no box,
// not even one that takes digits only, keeps the focus.
TEST_F(WindowsTest, TabAndShiftTabReachEveryControlOfEachWindow)
{
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.name);
        const std::unique_ptr<QWidget> loaded = window.load();
        ASSERT_NO_FATAL_FAILURE(showActive(*loaded));
        QSet<QString> expected;
        for (QWidget *control : reachableControls(loaded.get())) {
            if (control->isEnabled())
                expected.insert(tabStop(control));
        }
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            QSet<QString> visited;
            // Twice round: a stop missed once is missed for good.
            for (qsizetype press = 0; press < 2 * expected.size(); ++press) {
                QWidget *focused = QApplication::focusWidget();
                if (focused)
                    visited.insert(tabStop(focused));
                QTest::keyClick(focused ? focused : loaded.get(), key);
            }
            EXPECT_EQ(visited, expected) << (key == Qt::Key_Tab ? "Tab" : "Shift+Tab");
        }
        loaded->hide();
    }
}

// The letters that the window's enabled, shown controls take as access keys.
QSet<QChar> accessKeysTaken(const QWidget &window)
{
    QSet<QChar> taken;
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    for (const QWidget *control : controls) {
        const auto *label = qobject_cast<const QLabel *>(control);
        const QWidget *target = label ? label->buddy() : control;
        if (!target || !target->isEnabled() || !target->isVisibleTo(&window))
            continue;
        const QString caption = control->property("text").toString();
        const qsizetype marker = caption.indexOf(u'&');
        if ((label || qobject_cast<const QAbstractButton *>(control)) && marker >= 0
            && marker + 1 < caption.size())
            taken.insert(caption.at(marker + 1).toLower());
    }
    return taken;
}

// Alt with a letter that no enabled, shown control takes, pressed on the
// keyboard, types nothing into the box that holds the focus, in any window:
// among them Alt+O while OK is still disabled and Alt+H for the disabled Help.
TEST_F(WindowsTest, AccessKeysWithoutAnEnabledControlTypeNothing)
{
    int boxes = 0;
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.name);
        const std::unique_ptr<QWidget> loaded = window.load();
        ASSERT_NO_FATAL_FAILURE(showActive(*loaded));
        const QSet<QChar> taken = accessKeysTaken(*loaded);
        const QList<QWidget *> controls = loaded->findChildren<QWidget *>();
        for (QWidget *control : controls) {
            auto *line = qobject_cast<QLineEdit *>(control);
            auto *text = qobject_cast<QPlainTextEdit *>(control);
            if ((!line && !text) || !control->isEnabled() || !control->isVisibleTo(loaded.get()))
                continue;
            ++boxes;
            line ? line->setText(u"Roads"_s) : text->setPlainText(u"Roads"_s);
            control->setFocus();
            line ? line->selectAll() : text->selectAll();
            for (char letter = 'a'; letter <= 'z'; ++letter) {
                if (!taken.contains(QLatin1Char(letter)))
                    QTest::keyClick(loaded->windowHandle(), Qt::Key(Qt::Key_A + letter - 'a'),
                                    Qt::AltModifier);
            }
            EXPECT_EQ(line ? line->text() : text->toPlainText(), u"Roads"_s)
                << control->objectName().toStdString();
            EXPECT_TRUE(loaded->isVisible());
        }
        loaded->hide();
    }
    EXPECT_EQ(boxes, 14); // both native kinds, demand-load, options and debug
}

TEST_F(WindowsTest, AltCCancelsEveryDialogThatEnterAndEscLeaveOpen)
{
    int cancelled = 0;
    for (const Window &window : everyWindow()) {
        SCOPED_TRACE(window.name);
        const std::unique_ptr<QWidget> loaded = window.load();
        auto *dialog = qobject_cast<ConfigDialog *>(loaded.get());
        if (!dialog || !dialog->findChild<QPushButton *>(u"cmdCancel"_s))
            continue;
        EXPECT_TRUE(execModal(*dialog, [dialog] {
            QTest::keyClick(dialog, Qt::Key_Escape);
            QTest::keyClick(dialog, Qt::Key_Return);
            EXPECT_TRUE(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier);
        }));
        EXPECT_EQ(dialog->Tag(), TagCancel);
        ++cancelled;
    }
    EXPECT_EQ(cancelled, 5); // the type chooser, both native kinds, demand-load, options
}

} // namespace
