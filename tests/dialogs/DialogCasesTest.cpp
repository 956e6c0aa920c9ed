#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <limits>
#include <memory>
#include <optional>

#include "dialogs/OptionsHolder.h"
#include "dialogs/frmDemandConfig.h"
#include "dialogs/frmNativeConfig.h"
#include "dialogs/frmODBCConfig.h"
#include "dialogs/frmOptions.h"
#include "gui/MessageBoxes.h"
#include "i18n/MessageTable.h"
#include "platform/AppPaths.h"
#include "platform/ProcessLauncher.h"
#include "profile/ProfileStore.h"
#include "tests/support/CaseFile.h"
#include "tests/support/DialogFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

// The fields of a case (see cases/README.md).
const char *const Lines = "\r\n";
const QList<FieldRule> Fields = {
    {u"type"_s, FieldRule::Required, {u"0"_s, u"1"_s, u"2"_s, u"4"_s, u"5"_s}},
    {u"before"_s, FieldRule::Optional, {}, false, Lines},
    {u"record"_s},
    {u"answers"_s, FieldRule::Optional, {u"Yes"_s, u"No"_s, u"Cancel"_s}, true},
    {u"browse"_s},
    {u"launch"_s, FieldRule::Optional, {u"real"_s}},
    {u"file"_s},
    {u"fullDisk"_s, FieldRule::Optional, {u"yes"_s}},
    {u"steps"_s},
    {u"after"_s, FieldRule::Optional, {}, false, Lines},
    {u"messages"_s, FieldRule::Optional, {}, false, Lines},
    {u"tag"_s, FieldRule::Optional, {u"OK"_s, u"CANCEL"_s}},
    {u"open"_s, FieldRule::Optional, {u"yes"_s, u"no"_s}},
    {u"focus"_s},
    {u"state"_s},
    {u"enabled"_s},
    {u"texts"_s, FieldRule::Optional, {}, false, Lines},
    {u"saved"_s},
    {u"started"_s},
    {u"asked"_s, FieldRule::Optional, {}, false, Lines},
};

class DialogCases : public DialogFixture, public ::testing::WithParamInterface<Case>
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        QGuiApplication::clipboard()->clear();
        session.messageTable = &table; // English, with the placeholders filled in
        writeBytes(expand(u"$DLD"_s),
                   "ENTITY DLD PARCELS\r\n\tEntity Dld WATER MAINS\r\n"
                   "  entity dld   Main Roads  \r\nENTITY DLD ROADS\r\n"
                   "ENTITIES DLD none\r\nENTITY DLD ROADS\r\n");
        writeBytes(expand(u"$DIR/LF.DLD"_s), "ENTITY DLD ROADS\nENTITY DLD RIVERS\n");
    }

    QString expand(QString text) const
    {
        const std::pair<QString, QString> names[] = {
            {u"$DLD"_s, u"$DIR/ROADS.DLD"_s},
            {u"$DIR"_s, tempDir.path()},
            {u"$HUGE"_s, QString(400, u'9')},
            {u"$PAD"_s, QString(8192, u'-')},
            {u"$MAX"_s, DecimalText(std::numeric_limits<double>::max())}};
        for (const auto &[name, value] : names)
            text.replace(name, value);
        return text;
    }

    template<typename W = QWidget>
    static W *named(const QWidget &window, const QString &name)
    {
        return child<W>(window, name.toLatin1().constData());
    }

    LanguageSetting language;
    MessageTable table{language};

    // Runs the steps, separated by separator, on window (see cases/README).
    void apply(QWidget &window, const QString &steps, QChar separator = u';')
    {
        for (const QString &step : steps.split(separator, Qt::SkipEmptyParts)) {
            const QString name = step.section(u'=', 0, 0);
            const QString value = step.section(u'=', 1);
            if (name == u"key"_s) {
                const QKeyCombination key = QKeySequence(value)[0];
                QTest::keyClick(window.windowHandle(), key.key(), key.keyboardModifiers());
            } else if (name == u"focus"_s) {
                named(window, value)->setFocus();
            } else if (name == u"close"_s) {
                window.close();
            } else if (name == u"clipboard"_s) {
                QGuiApplication::clipboard()->setText(value);
            } else if (name == u"theirs"_s) {
                EXPECT_TRUE(WriteProfileString(value.section(u'/', 0, 0), value.section(u'/', 1, 1),
                                               value.section(u'/', 2), session.RegistryIniPath));
            } else if (name == u"registry"_s) {
                writeRegistry(value.toUtf8());
            } else if (name == u"cmdOptions"_s) {
                onNextModal<frmOptions>([this, value](frmOptions &options) { apply(options, value, u','); });
                child<QAbstractButton>(window, "cmdOptions")->click();
            } else if (name.endsWith(u'+')) {
                typeText(named(window, name.chopped(1)), value);
            } else if (name.startsWith(u'!')) { // a click also when the button shows disabled
                emit named<QAbstractButton>(window, name.mid(1))->clicked();
            } else if (QWidget *control = named(window, name)) {
                if (auto *box = qobject_cast<QLineEdit *>(control)) {
                    box->setText(value);
                } else if (auto *list = qobject_cast<QComboBox *>(control)) {
                    list->showPopup();
                    list->hidePopup();
                    list->setCurrentIndex(value.toInt());
                } else {
                    static_cast<QAbstractButton *>(control)->click();
                }
            }
        }
    }

    // The named controls as "name:" plus e (enabled) or d, h when hidden, and
    // the check state (o, g, x) of a check box or the entry count of a list.
    static QString describe(const QWidget &window, const QString &names)
    {
        QStringList states;
        for (const QString &token : names.split(u' ', Qt::SkipEmptyParts)) {
            const QString name = token.section(u':', 0, 0);
            const QWidget *control = named(window, name);
            if (!control)
                continue;
            QString state = name + u':' + (control->isEnabled() ? u'e' : u'd');
            if (control->isHidden())
                state += u'h';
            if (const auto *box = qobject_cast<const QCheckBox *>(control))
                state += u"ogx"_s.at(box->checkState());
            if (const auto *option = qobject_cast<const QRadioButton *>(control))
                state += option->isChecked() ? u'x' : u'o';
            if (const auto *list = qobject_cast<const QComboBox *>(control))
                state += QString::number(list->count());
            states.append(state);
        }
        return states.join(u' ');
    }

    void run(const Case &test)
    {
        if (test.has(u"before"_s))
            writeRegistry(value(test, u"before"_s).toUtf8());
        const std::optional<QByteArray> before =
            QFile::exists(session.RegistryIniPath) ? std::optional(registryBytes()) : std::nullopt;
        recordName = value(test, u"record"_s, NewRecordMarker);
        QtProcessLauncher realLauncher;
        if (test.has(u"launch"_s))
            session.processLauncher = &realLauncher;
        if (test.has(u"file"_s)) {
            const QStringList file = value(test, u"file"_s).split(u' ');
            ASSERT_GE(file.size(), 3) << "file: a path, its permissions and its content";
            writeBytes(file[0], file.mid(2).join(u' ').toUtf8());
            QFile::setPermissions(file[0], QFile::Permissions(file[1].toInt(nullptr, 16)));
        }
        const QMap<QString, int> answers{
            {u"Yes"_s, MsgBoxResult::Yes}, {u"No"_s, MsgBoxResult::No}, {u"Cancel"_s, MsgBoxResult::Cancel}};
        for (const QString &answer : value(test, u"answers"_s).split(u' ', Qt::SkipEmptyParts))
            messageBoxes.answers.enqueue(answers.value(answer));
        for (const QString &chosen : value(test, u"browse"_s).split(u' ', Qt::SkipEmptyParts))
            fileDialogs.answers.enqueue(chosen == u"-"_s ? std::nullopt : std::optional(chosen));

        const int type = value(test, u"type"_s).toInt();
        std::optional<OptionsHolder> options;
        std::unique_ptr<ConfigDialog> record;
        if (type == 0)
            options.emplace(session, RegistrySnapshot::Read(session.RegistryIniPath)->record(recordName),
                            &mainWindow, OptionsHolder::OverviewRow::Hidden);
        else if (type == 4)
            record = std::make_unique<frmDemandConfig>(session, recordName, &mainWindow);
        else if (type == 5)
            record = std::make_unique<frmODBCConfig>(session, &mainWindow);
        else
            record = std::make_unique<frmNativeConfig>(session, recordName, qint16(type), &mainWindow);
        ConfigDialog &dialog = options ? static_cast<ConfigDialog &>(options->form()) : *record;
        QMap<QString, QString> seen;
        ASSERT_TRUE(execModal(dialog, [&] {
            std::optional<FileSizeLimit> fullDisk;
            if (test.has(u"fullDisk"_s))
                fullDisk.emplace(4096);
            // Until the dialog is active its controls cannot take the focus that focus: checks.
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            apply(dialog, value(test, u"steps"_s));
            for (const QString &line : value(test, u"texts"_s).split(u"\r\n"_s, Qt::SkipEmptyParts)) {
                const QString name = line.section(u'=', 0, 0);
                const auto *box = named<QLineEdit>(dialog, name);
                seen[u"texts"_s] += name + u'=' + (box ? box->text() : u"(no box)"_s) + u"\r\n"_s;
            }
            const QWidget *focus = QApplication::focusWidget();
            seen.insert(QMap<QString, QString>{{u"tag"_s, dialog.Tag()},
                                               {u"open"_s, dialog.isVisible() ? u"yes"_s : u"no"_s},
                                               {u"state"_s, describe(dialog, value(test, u"state"_s))},
                                               {u"focus"_s, focus ? focus->objectName() : QString()},
                                               {u"enabled"_s, enabledControls(dialog).join(u' ')}});
            if (dialog.isVisible())
                dialog.reject();
        }));
        if (options) {
            RecordValues values;
            options->fillDisplayValues(values);
            seen[u"saved"_s] = values[RecordKey::AutoConnect] + u'|' + values[RecordKey::Scales] + u'|'
                + values[RecordKey::Priority];
        }
        seen[u"started"_s] = processLauncher.started.join(u' ');
        for (const ScriptedFileDialogs::Asked &asked : fileDialogs.asked)
            seen[u"asked"_s] += asked.title + u" | "_s + asked.filter + u"\r\n"_s;
        for (auto field = seen.cbegin(); field != seen.cend(); ++field) {
            if (test.has(field.key())) {
                EXPECT_EQ(field.value(), value(test, field.key())) << field.key().toStdString();
            }
        }
        if (test.has(u"after"_s) || before) {
            EXPECT_EQ(QString::fromUtf8(registryBytes()),
                      test.has(u"after"_s) ? value(test, u"after"_s) : QString::fromUtf8(*before));
        } else {
            EXPECT_FALSE(QFile::exists(session.RegistryIniPath)) << "a registry was written";
        }
        QString messages;
        for (const QString &text : messageBoxes.texts())
            messages += text + u"\r\n"_s;
        EXPECT_EQ(messages, value(test, u"messages"_s));
    }

    // A field of test with $DIR and the other names of cases/README.md filled in.
    QString value(const Case &test, const QString &name, const QString &missing = {}) const
    {
        return test.has(name) ? expand(test.text(name)) : missing;
    }
};

TEST_P(DialogCases, EndsAsItsCaseSays)
{
    const Case &test = GetParam();
    ASSERT_TRUE(test.error.isEmpty()) << test.error.toStdString();
    run(test);
}

QList<Case> cases(const char *name)
{
    return readCases(u"tests/dialogs/cases/"_s + QLatin1String(name), Fields);
}
INSTANTIATE_TEST_SUITE_P(Native, DialogCases, ::testing::ValuesIn(cases("native.txt")), CaseName());
INSTANTIATE_TEST_SUITE_P(Demand, DialogCases, ::testing::ValuesIn(cases("demand.txt")), CaseName());
INSTANTIATE_TEST_SUITE_P(Options, DialogCases, ::testing::ValuesIn(cases("options.txt")), CaseName());

} // namespace

class UnreadableRegistry : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        session.messageTable = &table;
    }

    LanguageSetting language;
    MessageTable table{language};
};

// A folder in the registry's place cannot be read: each record dialog says
// so, naming the file and the cause, and stays locked.
TEST_F(UnreadableRegistry, EachRecordDialogSaysSoAndSavesNothing)
{
    ASSERT_TRUE(QDir().mkpath(session.RegistryIniPath));
    frmNativeConfig native(session, u"Roads"_s, 1, &mainWindow);
    frmDemandConfig demand(session, u"Roads"_s, &mainWindow);
    for (const QDialog *dialog : std::initializer_list<const QDialog *>{&native, &demand})
        EXPECT_FALSE(child(*dialog, "txtName")->isEnabled());
    const QString said = u"The registry file "_s + QDir::toNativeSeparators(session.RegistryIniPath)
        + u" could not be read: "_s;
    ASSERT_EQ(messageBoxes.texts().size(), 2);
    for (const QString &text : messageBoxes.texts())
        EXPECT_TRUE(text.startsWith(said) && text.size() > said.size() + 40) << text.toStdString();
}
