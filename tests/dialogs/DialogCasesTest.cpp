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
#include <QRegularExpression>
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
#include "tests/support/DialogFixture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestFiles.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

// One case of a file under cases/: its fields by name (see cases/README).
using Case = QMap<QString, QString>;

QList<Case> readCases(const QString &path)
{
    static const QRegularExpression fieldLine(u"^(\\w+):(?: (.*))?$"_s);
    QList<Case> cases;
    QString field;
    for (const QString &line : QString::fromUtf8(readBytes(path)).split(u'\n')) {
        if (line.startsWith(u"== "_s)) {
            cases.append({{u"title"_s, line.mid(3)}});
            field.clear();
        } else if (line.isEmpty() || line.startsWith(u'#') || cases.isEmpty()) {
            continue;
        } else if (const auto match = fieldLine.match(line); match.hasMatch()) {
            field = match.captured(1);
            cases.last()[field] = match.captured(2);
        } else {
            cases.last()[field] += line + u"\r\n"_s;
        }
    }
    return cases;
}

class DialogCases : public DialogFixture, public ::testing::WithParamInterface<const char *>
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        session.messageTable = &table; // English, with the placeholders filled in
        writeBytes(expand(u"$DLD"_s), "ENTITY DLD PARCELS\r\n\tEntity Dld WATER MAINS\r\n"
                                      "  entity dld   Main Roads  \r\nENTITY DLD ROADS\r\n"
                                      "ENTITIES DLD none\r\nENTITY DLD ROADS\r\n");
        writeBytes(expand(u"$DIR/LF.DLD"_s), "ENTITY DLD ROADS\nENTITY DLD RIVERS\n");
    }

    QString expand(QString text) const
    {
        const std::pair<QString, QString> names[] = {
            {u"$DLD"_s, u"$DIR/ROADS.DLD"_s}, {u"$DIR"_s, tempDir.path()},
            {u"$HUGE"_s, QString(400, u'9')}, {u"$PAD"_s, QString(8192, u'-')},
            {u"$MAX"_s, DecimalText(std::numeric_limits<double>::max())},
            {u"\\t"_s, u"\t"_s}, {u"\\r"_s, u"\r"_s}, {u"\\n"_s, u"\n"_s}, {u"\\b"_s, u"\b"_s},
            {u"\\0"_s, QString(QChar(0))}};
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
            const QString value = expand(step.section(u'=', 1));
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
        writeRegistry(expand(test.value(u"before"_s)).toUtf8());
        const QByteArray before = registryBytes();
        recordName = test.value(u"record"_s, NewRecordMarker);
        QtProcessLauncher realLauncher;
        if (test.contains(u"launch"_s))
            session.processLauncher = &realLauncher;
        if (const QStringList file = expand(test.value(u"file"_s)).split(u' '); file.size() > 2) {
            writeBytes(file[0], file.mid(2).join(u' ').toUtf8());
            QFile::setPermissions(file[0], QFile::Permissions(file[1].toInt(nullptr, 16)));
        }
        const QMap<QString, int> answers{{u"Yes"_s, MsgBoxResult::Yes}, {u"No"_s, MsgBoxResult::No},
                                         {u"Cancel"_s, MsgBoxResult::Cancel}};
        for (const QString &answer : test.value(u"answers"_s).split(u' ', Qt::SkipEmptyParts))
            messageBoxes.answers.enqueue(answers.value(answer));
        for (const QString &chosen : test.value(u"browse"_s).split(u' ', Qt::SkipEmptyParts))
            fileDialogs.answers.enqueue(chosen == u"-"_s ? std::nullopt : std::optional(expand(chosen)));

        const int type = test.value(u"type"_s).toInt();
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
        Case seen;
        ASSERT_TRUE(execModal(dialog, [&] {
            std::optional<FileSizeLimit> fullDisk;
            if (test.contains(u"fullDisk"_s))
                fullDisk.emplace(4096);
            apply(dialog, test.value(u"steps"_s));
            for (const QString &line : test.value(u"texts"_s).split(u"\r\n"_s, Qt::SkipEmptyParts)) {
                const QString name = line.section(u'=', 0, 0);
                seen[u"texts"_s] += name + u'=' + named<QLineEdit>(dialog, name)->text() + u"\r\n"_s;
            }
            const QWidget *focus = QApplication::focusWidget();
            seen.insert(Case{{u"tag"_s, dialog.Tag()}, {u"open"_s, dialog.isVisible() ? u"yes"_s : u"no"_s},
                         {u"state"_s, describe(dialog, test.value(u"state"_s))},
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
            if (test.contains(field.key())) {
                EXPECT_EQ(field.value(), expand(test.value(field.key()))) << field.key().toStdString();
            }
        }
        EXPECT_EQ(QString::fromUtf8(registryBytes()),
                  test.contains(u"after"_s) ? expand(test.value(u"after"_s)) : QString::fromUtf8(before));
        QString messages;
        for (const QString &text : messageBoxes.texts())
            messages += text + u"\r\n"_s;
        EXPECT_EQ(messages, expand(test.value(u"messages"_s)));
    }
};

TEST_P(DialogCases, EachCaseEndsAsItsFileSays)
{
    const QString path = sourceDir() + u"/tests/dialogs/cases/"_s + QLatin1String(GetParam());
    const QList<Case> cases = readCases(path);
    ASSERT_FALSE(cases.isEmpty()) << path.toStdString();
    for (const Case &test : cases) {
        SCOPED_TRACE(test.value(u"title"_s).toStdString());
        run(test);
        messageBoxes.shown.clear();
        messageBoxes.answers.clear();
        processLauncher.started.clear();
        session.processLauncher = &processLauncher;
        fileDialogs.asked.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogCases,
                         ::testing::Values("native.txt", "demand.txt", "options.txt"));

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
