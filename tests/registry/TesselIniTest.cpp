// The tessel-ini command: the profile store for scripts.
#include "ProfileTestSupport.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>

using namespace tessel;
using namespace tessel::test;

namespace {

struct Outcome
{
    int exitCode = -1;
    QString output;
    QString errors;
};

class TesselIni : public ProfileFileTest
{
protected:
    Outcome run(const QStringList &arguments)
    {
        QProcess process;
        process.start(qEnvironmentVariable("TESSEL_APP_DIR") + u"/tessel-ini", arguments);
        EXPECT_TRUE(process.waitForFinished(10000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(TesselIni, WritesAndReadsUtf8TextsInWindows1252Files)
{
    const QString file = fileWith("; registry\r\n[Roads]\r\nType=1\r\n");
    EXPECT_EQ(run({u"set"_qs, file, u"Roads"_qs, u"Description"_qs, u"Stra\u00dfen \u20ac"_qs}).exitCode, 0);
    EXPECT_EQ(run({u"set"_qs, file, u"Rivers"_qs, u"Type"_qs, u"2"_qs}).exitCode, 0);
    EXPECT_EQ(readBytes(file), "; registry\r\n[Roads]\r\nType=1\r\nDescription=Stra\xDF" "en \x80\r\n[Rivers]\r\nType=2\r\n");

    EXPECT_EQ(run({u"get"_qs, file, u"roads"_qs, u"description"_qs}).output, u"Stra\u00dfen \u20ac\n");
    EXPECT_EQ(run({u"get"_qs, file, u"Roads"_qs, u"Nope"_qs, u"fallback"_qs}).output, u"fallback\n");
    EXPECT_EQ(run({u"keys"_qs, file, u"Roads"_qs}).output, u"Type\nDescription\n");
    EXPECT_EQ(run({u"sections"_qs, file}).output, u"Roads\nRivers\n");

    EXPECT_EQ(run({u"delete"_qs, file, u"Roads"_qs}).exitCode, 0);
    EXPECT_EQ(run({u"sections"_qs, file}).output, u"Rivers\n");
}

TEST_F(TesselIni, BadUsageExitsWithTwo)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    for (const QStringList &arguments : {QStringList{}, {u"get"_qs, file, u"A"_qs}, {u"sections"_qs},
                                         {u"set"_qs, file, u"A"_qs, u"k"_qs}, {u"remove"_qs, file, u"A"_qs}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(outcome.errors.contains(u"Usage: tessel-ini"));
    }
}

// A write that would not read back as given is refused, naming the cause,
// and a file that is not a regular file is refused before it is opened.
TEST_F(TesselIni, RefusesWhatWouldNotReadBackAndFilesThatAreNotRegular)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const QString fifo = path(u"fifo"_qs);
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct
    {
        QStringList arguments;
        const char16_t *message;
    } cases[] = {
        {{u"set"_qs, file, u"A"_qs, u"k=j"_qs, u"v"_qs}, u"k=j in [A] was not written"},
        {{u"set"_qs, file, u"A"_qs, u"k"_qs, u"\u03a9"_qs}, u"k in [A] was not written: \"\u03a9\" (U+03A9) has no code"},
        {{u"set"_qs, file, u"\u6f22"_qs, u"k"_qs, u"v"_qs}, u"(U+6F22) has no code"},
        {{u"set"_qs, file, u"A"_qs, u"k"_qs, u"a\nb"_qs}, u"holds a NUL or a line break"},
        {{u"set"_qs, file, u"A"_qs, u"k"_qs, QString(31999, u'x')}, u"the value is 31999 characters long"},
        {{u"set"_qs, file, u"A"_qs, u"k"_qs, u"v "_qs}, u"begins or ends with a blank"},
        {{u"set"_qs, file, u"A"_qs, u"k"_qs, u"'v'"_qs}, u"enclosed in quotes"},
        {{u"get"_qs, fifo, u"A"_qs, u"k"_qs}, u"is not a regular file"},
        {{u"set"_qs, fifo, u"A"_qs, u"k"_qs, u"v"_qs}, u"is not a regular file"},
    };
    for (const auto &refused : cases) {
        const Outcome outcome = run(refused.arguments);
        EXPECT_EQ(outcome.exitCode, 1) << refused.arguments.join(u' ').first(40).toStdString();
        EXPECT_TRUE(outcome.errors.contains(QStringView(refused.message))) << outcome.errors.toStdString();
    }
    EXPECT_EQ(readBytes(file), "[A]\r\nk=v\r\n");
    EXPECT_EQ(run({u"set"_qs, fileWith("\xef\xbb\xbf"), u"A"_qs, u"k"_qs, u"\u03a9 \u6f22"_qs}).exitCode, 0);
}

} // namespace
