#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include "tests/support/CaseFile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"
#include "tools/admin/AdminTool.h"

using namespace tessel;
using namespace tessel::test;
using namespace Qt::StringLiterals;

namespace {

// The fields of a case of cases/ (see the head of command-lines.txt), in the order they run.
const char *const CrLf = "\r\n", *const Lf = "\n";
const auto Step = FieldRule::Repeats;
const QList<FieldRule> Fields = {
    {u"file"_s, Step, {}, false, CrLf},
    {u"limit"_s, Step},
    {u"run"_s, Step},
    {u"kill"_s, Step},
    {u"exit"_s, Step, {u"0"_s, u"1"_s, u"2"_s}},
    {u"stdout"_s, Step, {}, false, Lf},
    {u"stderr"_s, Step, {}, false, Lf},
    {u"stdout-json"_s, Step, {}, false, Lf},
    {u"stdout-has"_s, Step},
    {u"stderr-has"_s, Step},
    {u"stderr-lines"_s, Step},
    {u"save-stdout"_s, Step},
    {u"files"_s, Step},
    {u"no-new-files"_s, Step},
    {u"after"_s, Step, {}, false, CrLf},
};

// A JSON document, or a failure naming what is wrong with it.
QJsonValue ParsedJson(const QByteArray &text, const char *what)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError)
        << what << " is no JSON: " << error.errorString().toStdString();
    return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
}

// Runs the steps of a case of cases/ in a fresh directory, also the current one.
class CommandLineCase
{
public:
    explicit CommandLineCase(const Case &test)
        : m_case(test)
    { }

    void run()
    {
        ASSERT_TRUE(m_case.error.isEmpty()) << m_case.error.toStdString();
        const QString previousDirectory = QDir::currentPath();
        ASSERT_TRUE(m_dir.isValid() && QDir::setCurrent(m_dir.path()));
        for (const CaseField &field : m_case.fields) {
            m_where = m_case.where.section(u':', 0, 0).toStdString() + ':' + std::to_string(field.line);
            const QString name = field.name, rest = QString::fromUtf8(bytes(field.value));
            const bool expectation = name != u"file" && name != u"limit" && name != u"run" && name != u"kill";
            if (expectation && !m_ran)
                ADD_FAILURE() << m_where << ": " << name.toStdString() << " with no run before it";
            if (!expectation)
                finishRun();
            if (name == u"file") {
                writeBytes(rest, bytes(field.lines));
            } else if (name == u"limit") {
                m_limit = rest.toULong();
            } else if (name == u"run") {
                command(rest.split(u' ', Qt::SkipEmptyParts));
            } else if (name == u"kill") {
                killedWhileRunning(rest.split(QStringLiteral(" | ")));
            } else if (name == u"save-stdout") {
                writeBytes(rest, m_out);
            } else if (name == u"exit") {
                EXPECT_EQ(m_exit, rest.toInt()) << m_where;
            } else if (name == u"stdout-json") {
                EXPECT_EQ(ParsedJson(m_out, "the output"), ParsedJson(bytes(field.lines), "the expectation"))
                    << m_where;
            } else if (name == u"stdout" || name == u"stderr") {
                EXPECT_EQ(name == u"stdout" ? QString::fromUtf8(m_out) : m_err,
                          QString::fromUtf8(bytes(field.lines)))
                    << m_where;
            } else if (name == u"stderr-lines") {
                EXPECT_EQ(m_err.count(u'\n'), rest.toInt()) << m_where;
            } else if (name == u"stdout-has" || name == u"stderr-has") {
                const QString stream = name == u"stdout-has" ? QString::fromUtf8(m_out) : m_err;
                EXPECT_TRUE(stream.contains(rest)) << m_where << stream.toStdString();
            } else if (name == u"no-new-files") {
                EXPECT_EQ(filesBelow(), m_filesBefore) << m_where;
            } else if (name == u"files") {
                EXPECT_EQ(
                    QDir()
                        .entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)
                        .join(u' '),
                    rest)
                    << m_where;
            } else if (name == u"after") {
                if (rest == u"TESSEL.INI")
                    m_before.reset();
                EXPECT_EQ(readBytes(rest), bytes(field.lines)) << m_where;
            }
        }
        finishRun();
        QDir::setCurrent(previousDirectory);
    }

private:
    int command(const QStringList &arguments)
    {
        m_ran = true;
        m_before = readBytes(QStringLiteral("TESSEL.INI"));
        m_filesBefore = filesBelow();
        m_out.clear();
        m_err.clear();
        QBuffer out(&m_out);
        out.open(QIODevice::WriteOnly);
        QTextStream err(&m_err);
        std::optional<FileSizeLimit> limit;
        if (m_limit)
            limit.emplace(std::exchange(m_limit, 0));
        m_exit = RunAdminCommand(
            arguments,
            {m_dir.filePath(QStringLiteral("TESSEL.INI")), m_dir.filePath(QStringLiteral("SRCS.INI"))}, out,
            err);
        err.flush();
        return m_exit;
    }

    // A command that states no registry after it must leave it byte for byte,
    // and one that is refused must say why.
    void finishRun()
    {
        EXPECT_TRUE(!m_before
                    || readBytes(QStringLiteral("TESSEL.INI")) == *std::exchange(m_before, std::nullopt))
            << m_where << ": the registry changed";
        EXPECT_TRUE(m_exit == AdminExit::Done || !m_err.isEmpty()) << m_where << ": a refusal without a word";
    }

    // A child runs the commands in turn, each one as a whole replacement of
    // the registry, until it is killed at a random moment: the registry is
    // then as it was or as one whole command left it.
    void killedWhileRunning(const QStringList &commands)
    {
        const QByteArray old = readBytes(QStringLiteral("TESSEL.INI"));
        QByteArrayList whole;
        for (const QString &line : commands) {
            ASSERT_EQ(command(line.split(u' ')), AdminExit::Done) << m_where << m_err.toStdString();
            whole.append(readBytes(QStringLiteral("TESSEL.INI")));
            writeBytes(QStringLiteral("TESSEL.INI"), old);
        }
        m_before.reset();
        for (int kills = 0; kills < std::max(12, qEnvironmentVariableIntValue("TESSEL_CRASH_KILLS"));
             ++kills) {
            const pid_t child = Spawn([&] {
                for (int round = 0;; ++round)
                    command(commands[round % commands.size()].split(u' '));
            });
            QThread::usleep(QRandomGenerator::global()->bounded(20000));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QByteArray now = readBytes(QStringLiteral("TESSEL.INI"));
            ASSERT_TRUE(now == old || whole.contains(now)) << m_where << " after " << kills << " kills";
            ASSERT_LE(QDir().entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    // A value of the case with its escapes decoded and DIR for the case's directory.
    QByteArray bytes(const QString &raw) const
    {
        return decodeEscapes(raw).bytes.replace("DIR", QFile::encodeName(m_dir.path()));
    }

    // Every file and folder below the case's directory, hidden ones too.
    QStringList filesBelow() const
    {
        QStringList files;
        QDirIterator below(m_dir.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDirIterator::Subdirectories);
        while (below.hasNext())
            files.append(below.next());
        files.sort();
        return files;
    }

    const Case &m_case;
    std::string m_where;
    QTemporaryDir m_dir;
    bool m_ran = false;
    rlim_t m_limit = 0;
    QStringList m_filesBefore; // before the last run
    std::optional<QByteArray>
        m_before; // the registry before the last run, until a case says what it is after
    int m_exit = 0;
    QByteArray m_out;
    QString m_err;
};

class CommandLines : public ::testing::TestWithParam<Case>
{ };

TEST_P(CommandLines, GiveWhatTheirCaseSays)
{
    CommandLineCase(GetParam()).run();
}

QList<Case> cases(const char *name)
{
    return readCases(QStringLiteral("tests/tools/cases/") + QLatin1String(name), Fields);
}
INSTANTIATE_TEST_SUITE_P(TesselAdmin, CommandLines, ::testing::ValuesIn(cases("command-lines.txt")),
                         CaseName());
// An import killed at any moment leaves the old or the whole new registry.
INSTANTIATE_TEST_SUITE_P(Killed, CommandLines, ::testing::ValuesIn(cases("killed-imports.txt")), CaseName());

// Output that never reached its file, and a registry behind a loop of
// symbolic links, are failures that name their cause, never an empty success.
TEST(TesselAdmin, LostOutputAndALinkLoopAreFailures)
{
    const QTemporaryDir dir;
    const QString loop = dir.filePath(QStringLiteral("LOOP.INI"));
    ASSERT_TRUE(QFile::link(loop + u'2', loop) && QFile::link(loop, loop + u'2'));
    QString messages;
    QTextStream err(&messages);
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    EXPECT_EQ(RunAdminCommand({QStringLiteral("--version")}, {loop, loop}, full, err), AdminExit::Refused);
    err.flush();
    EXPECT_TRUE(messages.contains(u"cannot write the output: No space left on device"))
        << messages.toStdString();
    for (const QString &command :
         {QStringLiteral("list"), QStringLiteral("export"), QStringLiteral("check")}) {
        QByteArray output;
        QBuffer out(&output);
        out.open(QIODevice::WriteOnly);
        EXPECT_EQ(RunAdminCommand({command}, {loop, loop}, out, err), AdminExit::Refused)
            << command.toStdString();
        err.flush();
        EXPECT_TRUE(QByteArray(output + messages.toUtf8()).contains("Too many levels of symbolic links"))
            << command.toStdString();
        messages.clear();
    }
}

} // namespace
