#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>


#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"
#include "tools/admin/AdminTool.h"

using namespace tessel;
using namespace tessel::test;

namespace {

// Works through a table of tessel-admin command lines in cases/, whose head describes the format.
class CommandLineTable
{
public:
    explicit CommandLineTable(const QString &name)
    {
        QFile table(sourceDir() + QStringLiteral("/tests/tools/cases/") + name);
        EXPECT_TRUE(table.open(QIODevice::ReadOnly)) << name.toStdString();
        m_lines = QString::fromUtf8(table.readAll()).split(u'\n');
    }

    void run()
    {
        const QString previousDirectory = QDir::currentPath();
        for (m_line = 0; m_line < m_lines.size(); ++m_line) {
            const QString directive = m_lines[m_line].section(u' ', 0, 0);
            const QString rest = QString::fromUtf8(unescape(m_lines[m_line].section(u' ', 1)));
            if (directive == u"@case" || directive == u"@file" || directive == u"@run" || directive == u"@kill")
                finishRun();
            if (directive == u"@case") {
                ASSERT_TRUE(m_dir.emplace().isValid() && QDir::setCurrent(m_dir->path()));
            } else if (directive == u"@file") {
                writeBytes(rest, block("\r\n"));
            } else if (directive == u"@limit") {
                m_limit = rest.toULong();
            } else if (directive == u"@run") {
                command(rest.split(u' ', Qt::SkipEmptyParts));
            } else if (directive == u"@kill") {
                killedWhileRunning(rest.split(QStringLiteral(" | ")));
            } else if (directive == u"@save-stdout") {
                writeBytes(rest, m_out);
            } else if (directive == u"@exit") {
                EXPECT_EQ(m_exit, rest.toInt()) << where();
            } else if (directive == u"@stdout-json") {
                EXPECT_EQ(QJsonDocument::fromJson(m_out), QJsonDocument::fromJson(block("\n"))) << where();
            } else if (directive == u"@stdout" || directive == u"@stderr") {
                EXPECT_EQ(directive == u"@stdout" ? QString::fromUtf8(m_out) : m_err, QString::fromUtf8(block("\n")))
                    << where();
            } else if (directive == u"@stderr-lines") {
                EXPECT_EQ(m_err.count(u'\n'), rest.toInt()) << where();
            } else if (directive == u"@stdout-has" || directive == u"@stderr-has") {
                const QString stream = directive == u"@stdout-has" ? QString::fromUtf8(m_out) : m_err;
                EXPECT_TRUE(stream.contains(rest)) << where() << stream.toStdString();
            } else if (directive == u"@no-new-files") {
                EXPECT_EQ(filesBelow(), m_filesBefore) << where();
            } else if (directive == u"@files") {
                EXPECT_EQ(QDir().entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                           QDir::Name).join(u' '), rest) << where();
            } else if (directive == u"@after") {
                if (rest == u"TESSEL.INI")
                    m_before.reset();
                EXPECT_EQ(readBytes(rest), block("\r\n")) << where();
            } else {
                ASSERT_TRUE(m_lines[m_line].isEmpty() || m_lines[m_line].startsWith(u'#')) << where();
            }
        }
        finishRun();
        QDir::setCurrent(previousDirectory);
    }

private:
    int command(const QStringList &arguments)
    {
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
        m_exit = RunAdminCommand(arguments, {m_dir->filePath(QStringLiteral("TESSEL.INI")),
                                             m_dir->filePath(QStringLiteral("SRCS.INI"))},
                                 out, err);
        err.flush();
        return m_exit;
    }

    // A command that states no registry after it must leave it byte for byte,
    // and one that is refused must say why.
    void finishRun()
    {
        EXPECT_TRUE(!m_before || readBytes(QStringLiteral("TESSEL.INI")) == *std::exchange(m_before, std::nullopt))
            << where() << ": the registry changed";
        EXPECT_TRUE(m_exit == AdminExit::Done || !m_err.isEmpty()) << where() << ": a refusal without a word";
    }

    // A child runs the commands in turn, each one as a whole replacement of
    // the registry, until it is killed at a random moment: the registry is
    // then as it was or as one whole command left it.
    void killedWhileRunning(const QStringList &commands)
    {
        const QByteArray old = readBytes(QStringLiteral("TESSEL.INI"));
        QByteArrayList whole;
        for (const QString &line : commands) {
            ASSERT_EQ(command(line.split(u' ')), AdminExit::Done) << where() << m_err.toStdString();
            whole.append(readBytes(QStringLiteral("TESSEL.INI")));
            writeBytes(QStringLiteral("TESSEL.INI"), old);
        }
        m_before.reset();
        for (int kills = 0; kills < std::max(12, qEnvironmentVariableIntValue("TESSEL_CRASH_KILLS")); ++kills) {
            const pid_t child = Spawn([&] {
                for (int round = 0;; ++round)
                    command(commands[round % commands.size()].split(u' '));
            });
            QThread::usleep(QRandomGenerator::global()->bounded(20000));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QByteArray now = readBytes(QStringLiteral("TESSEL.INI"));
            ASSERT_TRUE(now == old || whole.contains(now)) << where() << " after " << kills << " kills";
            ASSERT_LE(QDir().entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    // The lines up to the next directive or blank line, each ended by lineEnd
    // unless it ends with \z.
    QByteArray block(const char *lineEnd)
    {
        QByteArray text;
        while (m_line + 1 < m_lines.size() && !m_lines[m_line + 1].isEmpty() && !m_lines[m_line + 1].startsWith(u'@')) {
            const QString line = m_lines[++m_line];
            text += unescape(line.endsWith(QLatin1String("\\z")) ? line.chopped(2) : line + QLatin1String(lineEnd));
        }
        return text;
    }

    // \xHH stands for a byte, \{N}c for N times c, DIR for the case's directory.
    QByteArray unescape(const QString &text) const
    {
        static const QRegularExpression escape(QStringLiteral(R"(\\\{(\d+)\}(.)|\\x([0-9a-f]{2}))"));
        QByteArray result;
        qsizetype done = 0;
        for (const QRegularExpressionMatch &match : escape.globalMatch(text)) {
            result += text.mid(done, match.capturedStart() - done).toUtf8();
            result += match.hasCaptured(1) ? match.captured(2).repeated(match.captured(1).toInt()).toUtf8()
                                           : QByteArray(1, char(match.captured(3).toInt(nullptr, 16)));
            done = match.capturedEnd();
        }
        result += text.mid(done).toUtf8();
        return result.replace("DIR", m_dir ? QFile::encodeName(m_dir->path()) : "");
    }

    // Every file and folder below the case's directory, hidden ones too.
    QStringList filesBelow() const
    {
        QStringList files;
        QDirIterator below(m_dir->path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (below.hasNext())
            files.append(below.next());
        files.sort();
        return files;
    }

    std::string where() const { return "at line " + std::to_string(m_line + 1); }

    QStringList m_lines;
    qsizetype m_line = 0;
    std::optional<QTemporaryDir> m_dir;
    rlim_t m_limit = 0;
    QStringList m_filesBefore;   // before the last run
    std::optional<QByteArray> m_before;   // the registry before the last run, until a case says what it is after
    int m_exit = 0;
    QByteArray m_out;
    QString m_err;
};

TEST(TesselAdmin, CommandLines)
{
    CommandLineTable(QStringLiteral("command-lines.txt")).run();
}

TEST(TesselAdmin, AnImportKilledAtAnyMomentLeavesTheOldOrTheWholeNewRegistry)
{
    CommandLineTable(QStringLiteral("killed-imports.txt")).run();
}

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
    EXPECT_TRUE(messages.contains(u"cannot write the output: No space left on device")) << messages.toStdString();
    for (const QString &command : {QStringLiteral("list"), QStringLiteral("export"), QStringLiteral("check")}) {
        QByteArray output;
        QBuffer out(&output);
        out.open(QIODevice::WriteOnly);
        EXPECT_EQ(RunAdminCommand({command}, {loop, loop}, out, err), AdminExit::Refused) << command.toStdString();
        err.flush();
        EXPECT_TRUE(QByteArray(output + messages.toUtf8()).contains("Too many levels of symbolic links"))
            << command.toStdString();
        messages.clear();
    }
}

} // namespace
