#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <csignal>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestFiles.h"
#include "tools/admin/AdminTool.h"

using namespace tessel;
using tessel::test::readBytes;
using tessel::test::writeBytes;

namespace {

// Works through cases/command-lines.txt, whose head describes its format.
class CommandLineTable
{
public:
    void run(const QStringList &lines)
    {
        for (m_line = 0; m_line < lines.size(); ++m_line) {
            const QString &line = lines[m_line];
            const QString directive = line.section(u' ', 0, 0);
            const QString rest = QString::fromUtf8(unescape(line.section(u' ', 1)));
            if (directive == u"@case") {
                finishRun();
                m_dir.emplace();
                m_given.clear();
                ASSERT_TRUE(QDir::setCurrent(m_dir->path()));
                m_case = rest;
            } else if (directive == u"@file") {
                finishRun();
                writeBytes(rest, block(lines, "\r\n"));
                if (!m_given.contains(rest))
                    m_given.insert(rest, readBytes(rest));
            } else if (directive == u"@fifo") {
                ASSERT_EQ(mkfifo(QFile::encodeName(rest).constData(), 0600), 0);
            } else if (directive == u"@dir") {
                ASSERT_TRUE(QDir().mkdir(rest));
            } else if (directive == u"@limit") {
                m_limit = rest.toULong();
            } else if (directive == u"@run") {
                finishRun();
                command(rest.split(u' ', Qt::SkipEmptyParts));
            } else if (directive == u"@save-stdout") {
                writeBytes(rest, m_out);
            } else if (directive == u"@exit") {
                EXPECT_EQ(m_exit, rest.toInt()) << where();
            } else if (directive == u"@stdout") {
                EXPECT_EQ(QString::fromUtf8(m_out), QString::fromUtf8(block(lines, "\n"))) << where();
            } else if (directive == u"@stdout-begins") {
                EXPECT_TRUE(m_out.startsWith(rest.toUtf8())) << where() << m_out.toStdString();
            } else if (directive == u"@stdout-json") {
                EXPECT_EQ(QJsonDocument::fromJson(m_out), QJsonDocument::fromJson(block(lines, "\n")))
                    << where() << m_out.toStdString();
            } else if (directive == u"@stderr") {
                EXPECT_EQ(m_err, QString::fromUtf8(block(lines, "\n"))) << where();
            } else if (directive == u"@stderr-lines") {
                EXPECT_EQ(m_err.count(u'\n'), rest.toInt()) << where() << m_err.toStdString();
            } else if (directive == u"@stderr-begins" || directive == u"@stderr-has") {
                EXPECT_TRUE(directive.endsWith(u"has") ? m_err.contains(rest) : m_err.startsWith(rest))
                    << where() << m_err.toStdString();
            } else if (directive == u"@after" || directive == u"@after-as-given") {
                m_registryStated = true;
                const QByteArray after = directive == u"@after" ? block(lines, "\r\n") : m_given.value(rest);
                EXPECT_EQ(readBytes(rest), after) << where();
            } else {
                ASSERT_TRUE(line.isEmpty() || line.startsWith(u'#')) << where();
            }
        }
        finishRun();
    }

private:
    void command(const QStringList &arguments)
    {
        m_before = readBytes(QStringLiteral("TESSEL.INI"));
        m_registryStated = false;
        m_out.clear();
        m_err.clear();
        QBuffer out(&m_out);
        out.open(QIODevice::WriteOnly);
        QTextStream err(&m_err);
        std::optional<test::FileSizeLimit> limit;
        if (m_limit)
            limit.emplace(std::exchange(m_limit, 0));
        m_exit = RunAdminCommand(arguments, {m_dir->filePath(QStringLiteral("TESSEL.INI")),
                                             m_dir->filePath(QStringLiteral("SRCS.INI"))},
                                 out, err);
        err.flush();
        m_ran = true;
    }

    // A command that states no registry after it must leave it byte for byte,
    // and one that is refused must say why.
    void finishRun()
    {
        if (!std::exchange(m_ran, false))
            return;
        if (!m_registryStated) {
            EXPECT_EQ(readBytes(QStringLiteral("TESSEL.INI")), m_before) << where();
        }
        if (m_exit != AdminExit::Done) {
            EXPECT_FALSE(m_err.isEmpty()) << where();
        }
    }

    // The lines up to the next directive or blank line, each ended by lineEnd.
    QByteArray block(const QStringList &lines, const char *lineEnd)
    {
        QByteArray text;
        while (m_line + 1 < lines.size() && !lines[m_line + 1].isEmpty() && !lines[m_line + 1].startsWith(u'@')) {
            const QString line = lines[++m_line];
            text += unescape(line.endsWith(QLatin1String("\\z")) ? line.chopped(2) : line + QLatin1String(lineEnd));
        }
        return text;
    }

    // \xHH stands for a byte, \t for a tab, \{N}c for N times c, and DIR
    // for the case's directory.
    QByteArray unescape(const QString &text) const
    {
        static const QRegularExpression escape(QStringLiteral(R"(\\\{(\d+)\}(.)|\\x([0-9a-f]{2})|\\t)"));
        QByteArray result;
        qsizetype done = 0;
        for (const QRegularExpressionMatch &match : escape.globalMatch(text)) {
            result += text.mid(done, match.capturedStart() - done).toUtf8();
            if (match.hasCaptured(1))
                result += match.captured(2).repeated(match.captured(1).toInt()).toUtf8();
            else if (match.hasCaptured(3))
                result += char(match.captured(3).toInt(nullptr, 16));
            else
                result += '\t';
            done = match.capturedEnd();
        }
        result += text.mid(done).toUtf8();
        return result.replace("DIR", m_dir ? QFile::encodeName(m_dir->path()) : "");
    }

    std::string where() const { return QStringLiteral("%1 (line %2)").arg(m_case).arg(m_line + 1).toStdString(); }

    std::optional<QTemporaryDir> m_dir;
    QHash<QString, QByteArray> m_given;
    QString m_case;
    qsizetype m_line = 0;
    rlim_t m_limit = 0;
    bool m_ran = false;
    bool m_registryStated = false;
    QByteArray m_before;
    int m_exit = 0;
    QByteArray m_out;
    QString m_err;
};

TEST(TesselAdmin, CommandLines)
{
    QFile table(test::sourceDir() + QStringLiteral("/tests/tools/cases/command-lines.txt"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QString previous = QDir::currentPath();
    CommandLineTable().run(QString::fromUtf8(table.readAll()).split(u'\n'));
    QDir::setCurrent(previous);
}

QByteArray Site(const QByteArray &value)
{
    QByteArray text;
    for (const char *name : {"Roads", "Rivers", "Parcels"})
        text += QByteArray("[") + name + "]\r\nType=1\r\nConnect=" + value + "\r\nDescription=" + value + "\r\n";
    return text;
}

// An import is one replacement of the registry: killed at any moment it
// leaves the old registry or the whole new one, byte for byte.
TEST(TesselAdmin, AnImportKilledAtAnyMomentLeavesTheOldOrTheWholeNewRegistry)
{
    QTemporaryDir dir;
    const AdminFiles files{dir.filePath(QStringLiteral("TESSEL.INI")), dir.filePath(QStringLiteral("SRCS.INI"))};
    const auto import = [&](const QString &site) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString messages;
        QTextStream err(&messages);
        return RunAdminCommand({QStringLiteral("import"), site, QStringLiteral("--replace")}, files, out, err);
    };
    QByteArray old = "[Private]\r\nType=1\r\nPrivate=2\r\n";
    for (int i = 0; i < 2000; ++i)
        old += "[Record " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=kept\r\n";
    old += Site("OLD");
    QStringList sites;
    QByteArrayList whole;
    for (const char *value : {"A", "B"}) {
        sites.append(dir.filePath(QLatin1String(value)));
        writeBytes(sites.last(), Site(value));
        writeBytes(files.registry, old);
        ASSERT_EQ(import(sites.last()), AdminExit::Done);
        whole.append(readBytes(files.registry));
    }
    writeBytes(files.registry, old);
    const int wantedKills = std::max(12, qEnvironmentVariableIntValue("TESSEL_CRASH_KILLS"));
    for (int kills = 0; kills < wantedKills; ++kills) {
        const pid_t importer = test::Spawn([&] {
            for (int round = 0;; ++round)
                import(sites[round % 2]);
        });
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        ::kill(importer, SIGKILL);
        ::waitpid(importer, nullptr, 0);
        const QByteArray now = readBytes(files.registry);
        ASSERT_TRUE(now == old || whole.contains(now)) << "after " << kills << " kills";
        ASSERT_LE(QDir(dir.path()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden).size(), 1);
    }
}

} // namespace
