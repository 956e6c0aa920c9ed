// The tessel-ini command: the profile store for scripts.
#include "ProfileTestSupport.h"

#include <QProcess>

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

TEST_F(TesselIni, BadUsageExitsWithTwoAndRefusedWritesWithOne)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    for (const QStringList &arguments : {QStringList{}, {u"get"_qs, file, u"A"_qs}, {u"sections"_qs},
                                         {u"set"_qs, file, u"A"_qs, u"k"_qs}, {u"remove"_qs, file, u"A"_qs}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(outcome.errors.contains(u"Usage: tessel-ini"));
    }
    const Outcome refused = run({u"set"_qs, file, u"A"_qs, u"k=j"_qs, u"v"_qs});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.errors.contains(u"not written")) << refused.errors.toStdString();
    EXPECT_EQ(readBytes(file), "[A]\r\nk=v\r\n");
}

} // namespace
