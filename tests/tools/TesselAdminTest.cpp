#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "registry/DataSourceRecord.h"
#include "registry/ProfileStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/TestFiles.h"
#include "tools/admin/AdminTool.h"

#include <sys/stat.h>

using namespace tessel;
using tessel::test::readBytes;
using tessel::test::Spawn;
using tessel::test::writeBytes;

class TesselAdmin : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return dir.filePath(name); }

    int run(QStringList arguments)
    {
        output.clear();
        messages.clear();
        QBuffer out(&output);
        out.open(QIODevice::WriteOnly);
        QTextStream err(&messages);
        const int code = RunAdminCommand(arguments, {path(QStringLiteral("TESSEL.INI")),
                                                     path(QStringLiteral("SRCS.INI"))},
                                         out, err);
        err.flush();
        return code;
    }

    void importText(const QByteArray &text, const QStringList &options = {})
    {
        writeBytes(path(QStringLiteral("template.ini")), text);
        ASSERT_EQ(run(QStringList{QStringLiteral("import"), path(QStringLiteral("template.ini"))}
                      + options),
                  AdminExit::Done)
            << messages.toStdString();
    }

    QByteArray registry() const { return readBytes(path(QStringLiteral("TESSEL.INI"))); }

    QTemporaryDir dir;
    QByteArray output;
    QString messages;
};

TEST_F(TesselAdmin, ImportWritesEveryKeyInTheDialogsOrderWithTheirDefaults)
{
    importText("[ Roads ]\r\nType=1\r\nConnect=RDS1\r\n"
               "[Ortho]\r\nType=2\r\nConnect=ORTHO\r\nDescription=Photos 2024\r\n"
               "[Parcels]\r\nType=4\r\nConnect=/data/parcels.dld Main Parcels\r\nID=12\r\nScales=0,0,500\r\n");

    EXPECT_EQ(registry(),
              "[Roads]\r\nType=1\r\nDescription=\r\nConnect=RDS1\r\nReadOnly=0\r\nID=Auto\r\n"
              "Attributes=3\r\nCapabilities=15\r\nAutoConnect=0\r\nScales=0,0,0\r\nPriority=127\r\n"
              "Private=8\r\n"
              "[Ortho]\r\nType=2\r\nDescription=Photos 2024\r\nConnect=ORTHO\r\nReadOnly=0\r\n"
              "ID=Auto\r\nAttributes=1\r\nCapabilities=6\r\nAutoConnect=0\r\nScales=0,0,0\r\n"
              "Priority=127\r\nPrivate=8\r\n"
              "[Parcels]\r\nType=4\r\nDescription=\r\nConnect=/data/parcels.dld Main Parcels\r\n"
              "ReadOnly=1\r\nID=12\r\nAttributes=1\r\nCapabilities=0\r\nAutoConnect=0\r\n"
              "Scales=0,0,500\r\nPriority=127\r\n");
}

TEST_F(TesselAdmin, OneBadRecordWritesNothingAndEveryFailureIsNamed)
{
    writeBytes(path(QStringLiteral("template.ini")),
               "[Good]\r\nType=1\r\nConnect=OK\r\n"
               "[Odbc]\r\nType=5\r\n"
               "[Long]\r\nType=2\r\nConnect=TOOLONGNAME\r\n"
               "[<<__New__>>]\r\nType=1\r\nConnect=S\r\n");

    EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("template.ini"))}),
              AdminExit::Refused);
    EXPECT_TRUE(registry().isEmpty());
    for (const char *bad : {"[Odbc]: Type", "[Long]: Connect", "[<<__New__>>]"})
        EXPECT_TRUE(messages.contains(QLatin1String(bad))) << bad << messages.toStdString();
    EXPECT_FALSE(messages.contains(QLatin1String("[Good]")));
}

// Each template would register something other than what it says, or
// nothing at all: the import names the cause and leaves the registry as it was.
TEST_F(TesselAdmin, TemplatesThatWouldBeStoredChangedAreRefused)
{
    const QByteArray original = "[Old]\r\nType=1\r\nConnect=OLD\r\n";
    const QByteArray roads = "[Roads]\r\nType=1\r\nConnect=R\r\n";
    const struct
    {
        QByteArray text;
        const char *message;
    } cases[] = {
        {"", "holds no section"},
        {"; only a comment\r\n\r\n", "holds no section"},
        {QByteArray("\x7f" "ELF\x02\x01\x00\x00[A]\r\n", 12), "line 1: the control character U+007F"},
        {"\xef\xbb\xbf[Roads]\r\nDescription=\xff\r\n", "not in the encoding the mark names"},
        {"[   ]\r\nType=1\r\nConnect=R\r\n", "line 1: the section has no name"},
        {"Type=1\r\n" + roads, "line 1: a key before the first section"},
        {roads + "Descripton\r\n", "line 4: the line is no section line"},
        {roads + "Descripton=Main roads\r\n", "[Roads]: Descripton: a record has no such key"},
        {roads + "type=2\r\n", "[Roads]: type: the key is given twice"},
        {roads + "Description=" + QByteArray(31999, 'x') + "\r\n",
         "[Roads]: Description: the value is 31999 characters long"},
        {roads + "Description=\xce\xa9 \xe6\xbc\xa2\r\n", "[Roads]: Description: \"\u03a9\" (U+03A9) has no code"},
        {"[\xe6\xbc\xa2]\r\nType=1\r\nConnect=R\r\n", "the name: \"\u6f22\" (U+6F22) has no code"},
        {roads + "Description=\" Main\"\r\n", "[Roads]: Description: the value begins or ends with a blank"},
        {roads + "Description=\"\"Main\"\"\r\n", "[Roads]: Description: the value is enclosed in quotes"},
        {"[Roads]\r\nType=1.0\r\nConnect=R\r\n", "[Roads]: Type: must be 1, 2 or 4"},
        {roads + "Private=99999999999\r\n", "[Roads]: Private: must be a whole number from 0 to 32767"},
        {roads + "Priority=256\r\n", "[Roads]: Priority: must be a whole number from 0 to 255"},
        {roads + "ReadOnly=2\r\n", "[Roads]: ReadOnly: must be a whole number from 0 to 1"},
        {roads + "Capabilities=16\r\n", "[Roads]: Capabilities: must be a whole number from 0 to 15"},
        {roads + "ID=-1\r\n", "[Roads]: ID: must be Auto or a whole number"},
        {roads + "Scales=1,x,3\r\n", "[Roads]: Scales: must be three whole numbers"},
        {"[P]\r\nType=4\r\nConnect=/data/p.dld P\r\nAttributes=3\r\n", "[P]: Attributes: must be 1"},
        {"[P]\r\nType=4\r\nConnect=/data/p.dld\r\n", "[P]: Connect: names no entity"},
    };
    for (const auto &bad : cases) {
        writeBytes(path(QStringLiteral("TESSEL.INI")), original);
        writeBytes(path(QStringLiteral("template.ini")), bad.text);
        EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("template.ini"))}), AdminExit::Refused)
            << bad.message;
        EXPECT_TRUE(messages.contains(QString::fromUtf8(bad.message))) << messages.toStdString();
        EXPECT_EQ(registry(), original) << bad.message;
    }
}

// A template's own encoding is read, and the registry's decides what it can
// hold: a UTF-8 registry holds every character, up to the longest value.
TEST_F(TesselAdmin, TemplatesAreReadInTheirEncodingAndStoredInTheRegistrys)
{
    importText("[Stra\xc3\x9f" "e]\r\nType=1\r\nConnect=S\r\n");               // UTF-8, no mark
    importText("[Gr\xfcn]\r\nType=1\r\nConnect=G\r\nDescription=\"Main\"\r\n"); // Windows-1252
    EXPECT_EQ(RecordNames(path(QStringLiteral("TESSEL.INI"))),
              (QStringList{QStringLiteral("Stra\u00dfe"), QStringLiteral("Gr\u00fcn")}));
    EXPECT_TRUE(registry().startsWith("[Stra\xdf" "e]\r\n"));
    EXPECT_TRUE(registry().contains("Description=Main\r\n"));

    writeBytes(path(QStringLiteral("TESSEL.INI")), "\xef\xbb\xbf");
    const QString longest = QString(31997, u'x') + u"\u6f22";
    importText("[\xce\xa9]\r\nType=1\r\nConnect=O\r\nDescription=" + longest.toUtf8() + "\r\n");
    EXPECT_EQ(ReadProfileString(QStringLiteral("\u03a9"), QStringLiteral("Description"), {},
                                path(QStringLiteral("TESSEL.INI"))),
              longest);
}

TEST_F(TesselAdmin, FilesThatAreNotRegularAreRefusedWithoutWaiting)
{
    const QString fifo = path(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeBytes(path(QStringLiteral("template.ini")), "[Roads]\r\nType=1\r\nConnect=R\r\n");
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("list"), QStringLiteral("--registry"), fifo},
          {QStringLiteral("list"), QStringLiteral("--sources"), QStringLiteral("/dev/zero")},
          {QStringLiteral("import"), path(QStringLiteral("template.ini")), QStringLiteral("--registry"), fifo},
          {QStringLiteral("import"), fifo}}) {
        EXPECT_EQ(run(arguments), AdminExit::Refused);
        EXPECT_TRUE(messages.contains(QLatin1String("is not a regular file"))) << messages.toStdString();
    }
    EXPECT_TRUE(registry().isEmpty());
}

TEST_F(TesselAdmin, ExistingNamesNeedReplaceWhichKeepsTheirProtection)
{
    importText("[Roads]\r\nType=1\r\nConnect=RDS1\r\nPrivate=3\r\n");
    writeBytes(path(QStringLiteral("update.ini")), "[ROADS]\r\nType=1\r\nConnect=RDS2\r\n");

    EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("update.ini"))}), AdminExit::Refused);
    EXPECT_EQ(ReadProfileString(QStringLiteral("Roads"), QStringLiteral("Connect"), {},
                                path(QStringLiteral("TESSEL.INI"))),
              QStringLiteral("RDS1"));

    EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("update.ini")),
                   QStringLiteral("--replace")}),
              AdminExit::Done);
    EXPECT_EQ(ProfileSectionNames(path(QStringLiteral("TESSEL.INI"))), QStringList{QStringLiteral("ROADS")});
    EXPECT_EQ(ReadProfileString(QStringLiteral("Roads"), QStringLiteral("Private"), {},
                                path(QStringLiteral("TESSEL.INI"))),
              QStringLiteral("11"));
}

// An export imported again gives the registry back byte for byte, in either
// encoding; a value that would not come back is named and nothing exported.
TEST_F(TesselAdmin, ExportThenImportReproducesTheRegistry)
{
    const QByteArray records = "[Roads]\r\nType=1\r\nConnect=RDS1\r\nDescription=Roads \xc3\xa9t\xc3\xa9\r\nID=7\r\n"
                               "[Parcels]\r\nType=4\r\nConnect=/data/p.dld PARCELS\r\nPrivate=1\r\nReadOnly=0\r\n";
    writeBytes(path(QStringLiteral("SRCS.INI")), {});
    for (const QByteArray &start : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
        const QByteArray unicode = start.isEmpty() ? "" : "Description=\xCE\xA9 \xE6\xBC\xA2\r\n";
        writeBytes(path(QStringLiteral("TESSEL.INI")), start);
        importText(records + "[Lakes]\r\nType=2\r\nConnect=L\r\n" + unicode);
        const QByteArray original = registry();

        ASSERT_EQ(run({QStringLiteral("export")}), AdminExit::Done) << messages.toStdString();
        writeBytes(path(QStringLiteral("exported.ini")), output);
        writeBytes(path(QStringLiteral("TESSEL.INI")), start);
        ASSERT_EQ(run({QStringLiteral("import"), path(QStringLiteral("exported.ini"))}), AdminExit::Done);
        EXPECT_EQ(registry(), original);
    }

    writeBytes(path(QStringLiteral("TESSEL.INI")),
               "[Roads]\r\nType=1\r\nDescription=" + QByteArray(40000, 'x') + "\r\nConnect=\" q \"\r\n");
    EXPECT_EQ(run({QStringLiteral("export")}), AdminExit::Refused);
    EXPECT_TRUE(output.isEmpty());
    EXPECT_TRUE(messages.contains(QLatin1String("[Roads] Description: the value is 40000 characters long")))
        << messages.toStdString();
    EXPECT_TRUE(messages.contains(QLatin1String("[Roads] Connect: the value begins or ends with a blank")))
        << messages.toStdString();
}

TEST_F(TesselAdmin, ListShowAndRemove)
{
    writeBytes(path(QStringLiteral("SRCS.INI")), "[Sources]\r\nNative=1,x\r\nDemand Load=4\r\n");
    importText("[Roads]\r\nType=1\r\nConnect=R\r\nDescription=Road net\r\n"
               "[Base]\r\nType=1\r\nConnect=B\r\nPrivate=2\r\n");

    ASSERT_EQ(run({QStringLiteral("list")}), AdminExit::Done);
    EXPECT_EQ(output, "Roads\t1\tNative\tRoad net\nBase\t1\tNative\t\n");

    ASSERT_EQ(run({QStringLiteral("show"), QStringLiteral("roads")}), AdminExit::Done);
    EXPECT_TRUE(output.startsWith("Type=1\nDescription=Road net\nConnect=R\n"));
    EXPECT_EQ(run({QStringLiteral("show"), QStringLiteral("Lakes")}), AdminExit::Refused);

    EXPECT_EQ(run({QStringLiteral("remove"), QStringLiteral("Roads"), QStringLiteral("Base")}),
              AdminExit::Refused);
    EXPECT_EQ(ProfileSectionNames(path(QStringLiteral("TESSEL.INI"))).size(), 2);
    EXPECT_EQ(run({QStringLiteral("remove"), QStringLiteral("Roads"), QStringLiteral("Base"),
                   QStringLiteral("--force")}),
              AdminExit::Done);
    EXPECT_TRUE(ProfileSectionNames(path(QStringLiteral("TESSEL.INI"))).isEmpty());
}

// Each registry with the lines check writes for it and its exit code; DIR
// stands for the test's directory, which holds a.dld and a directory sub.dld.
TEST_F(TesselAdmin, CheckNamesEachProblemOfTheRegistryOnALineAndExitsByThem)
{
    writeBytes(path(QStringLiteral("a.dld")), "ENTITY DLD PARCELS\r\nENTITY DLD \xc4sten\r\nENTITY DLD ?\r\nFIELD x\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub.dld")));
    writeBytes(path(QStringLiteral("SRCS.INI")), "[Sources]\r\nNative=1\r\nSpecial=9\r\n");
    const struct
    {
        QByteArray registry;
        const char *lines;
        int exitCode;
    } cases[] = {
        {"[Roads]\r\nType=1\r\nConnect=ROADS\r\nPriority=0\r\nID=auto\r\nScales=0,100,5\r\nPrivate=8\r\n"
         "[Ortho]\r\nType=2\r\nConnect=ORTHO\r\nAttributes=1\r\n"
         "[Parcels]\r\nType=4\r\nConnect=DIR/a.dld PARCELS\r\nAttributes=1\r\n"
         "[East]\r\nType=4\r\nConnect=DIR/a.dld \xc3\x84sten\r\n"
         "[Odbc]\r\nType=5\r\nConnect=DSN=gis;UID=viewer\r\n[Own]\r\nType=9\r\n"
         "[Base]\r\nType=1\r\nConnect=B\r\nPrivate=3\r\n",
         "[Base] note: Private: the record is locked (its dialogs open read-only) and protected against deletion\n",
         AdminExit::Done},
        {"[Roads]\r\nConnect=R\r\n[Odd]\r\nType=7\r\n[Word]\r\nType=one\r\n",
         "[Roads] Type: missing; the record reads as type 1\n"
         "[Odd] Type: SRCS.INI does not offer type 7, and Tessel has no icon or dialog for it\n"
         "[Word] Type: must be a whole number from 0 to 2147483647, not \"one\"\n",
         AdminExit::ProblemsFound},
        {"[Roads]\r\nType=1\r\nConnect=R\r\n[ROADS]\r\nType=1\r\nConnect=R\r\n"
         "[<<__New__>>]\r\nType=1\r\nConnect=N\r\n",
         "[ROADS] the host reads only the first section of this name, [Roads]\n"
         "[<<__New__>>] Tessel cannot store a record of this name\n",
         AdminExit::ProblemsFound},
        {"[Empty]\r\nType=1\r\n[Long]\r\nType=2\r\nConnect=TOOLONGNAME\r\nPriority=300\r\nReadOnly=x\r\n"
         "Scales=1,2\r\nAttributes=4\r\n[Demand]\r\nType=4\r\nConnect=DIR/a.dld PARCELS\r\nAttributes=3\r\n",
         "[Empty] Connect: must hold the storage name\n"
         "[Long] Connect: the storage name \"TOOLONGNAME\" is longer than 8 characters\n"
         "[Long] ReadOnly: must be a whole number from 0 to 1, not \"x\"\n"
         "[Long] Attributes: must be a whole number from 0 to 3, not \"4\"\n"
         "[Long] Scales: must be three whole numbers from 0 to 2147483647 joined by commas, not \"1,2\"\n"
         "[Long] Priority: must be a whole number from 0 to 255, not \"300\"\n"
         "[Demand] Attributes: must be 1, not \"3\"\n",
         AdminExit::ProblemsFound},
        {"[Gone]\r\nType=4\r\nConnect=DIR/gone.dld PARCELS\r\n[Gone too]\r\nType=4\r\nConnect=DIR/gone.dld X\r\n"
         "[Folder]\r\nType=4\r\nConnect=DIR/sub.dld PARCELS\r\n[Case]\r\nType=4\r\nConnect=DIR/a.dld parcels\r\n"
         "[Omega]\r\nType=4\r\nConnect=DIR/a.dld \xce\xa9\r\n[Bare]\r\nType=4\r\nConnect=DIR/a.dld\r\n",
         "[Gone] Connect: cannot read the DLD file DIR/gone.dld: No such file or directory\n"
         "[Gone too] Connect: cannot read the DLD file DIR/gone.dld: No such file or directory\n"
         "[Folder] Connect: cannot read the DLD file DIR/sub.dld: it is not a regular file\n"
         "[Case] Connect: the DLD file DIR/a.dld does not declare the entity \"parcels\"\n"
         "[Omega] Connect: the DLD file DIR/a.dld does not declare the entity \"\u03a9\"\n"
         "[Bare] Connect: names no entity after the DLD file path\n",
         AdminExit::ProblemsFound},
    };
    const QByteArray here = QFile::encodeName(dir.path());
    for (const auto &check : cases) {
        // A UTF-8 registry, so that a name can hold what Windows-1252 cannot.
        writeBytes(path(QStringLiteral("TESSEL.INI")),
                   "\xef\xbb\xbf" + QByteArray(check.registry).replace("DIR", here));
        EXPECT_EQ(run({QStringLiteral("check")}), check.exitCode) << check.lines;
        EXPECT_EQ(QString::fromUtf8(output), QString::fromUtf8(check.lines).replace(QLatin1String("DIR"), dir.path()));
        EXPECT_TRUE(messages.endsWith(QLatin1String(" of ") + path(QStringLiteral("TESSEL.INI")) + QLatin1String(".\n")))
            << messages.toStdString();
    }
}

// Each command's JSON output parsed back equals the document expected.
TEST_F(TesselAdmin, JsonOutputIsOneDocumentWithNumbersWhereTheKeysHoldThem)
{
    writeBytes(path(QStringLiteral("SRCS.INI")), "[Sources]\r\nNative=1\r\n");
    writeBytes(path(QStringLiteral("TESSEL.INI")),
               "[Roads]\r\nType=1\r\nDescription=Road \"net\"\r\nConnect=R\r\nID=Auto\r\nPriority=x\r\n"
               "Scales=0,0,0\r\nPrivate=2\r\nTag=7\r\n"
               "[Gr\xfcn]\r\ntype=1\r\nConnect=42\r\nID=12\r\n");
    const struct
    {
        QStringList arguments;
        const char *json;
    } cases[] = {
        {{QStringLiteral("list")},
         R"([{"name": "Roads", "type": 1, "typeName": "Native", "description": "Road \"net\""},
             {"name": "Grün", "type": 1, "typeName": "Native", "description": ""}])"},
        {{QStringLiteral("show"), QStringLiteral("roads")},
         R"({"name": "Roads", "keys": {"Type": 1, "Description": "Road \"net\"", "Connect": "R", "ID": "Auto",
             "Priority": "x", "Scales": "0,0,0", "Private": 2, "Tag": "7"}})"},
        {{QStringLiteral("show"), QStringLiteral("GRÜN")},
         R"({"name": "Grün", "keys": {"type": 1, "Connect": "42", "ID": 12}})"},
        {{QStringLiteral("check")},
         R"({"registry": "REGISTRY", "records": 2,
             "problems": [{"section": "Roads", "key": "Priority",
                           "text": "must be a whole number from 0 to 255, not \"x\""}],
             "information": [{"section": "Roads", "key": "Private",
                              "text": "the record is protected against deletion"}]})"},
    };
    for (const auto &command : cases) {
        run(command.arguments + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        QJsonParseError error;
        const QJsonDocument written = QJsonDocument::fromJson(output, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << output.toStdString();
        const QByteArray expected = QByteArray(command.json).replace("REGISTRY", path(QStringLiteral("TESSEL.INI")).toUtf8());
        EXPECT_EQ(written, QJsonDocument::fromJson(expected)) << output.toStdString();
    }
}

TEST_F(TesselAdmin, AWriteThatFailsIsReportedAndRefused)
{
    writeBytes(path(QStringLiteral("template.ini")), "[Roads]\r\nType=1\r\nConnect=R\r\n");
    const QString unreachable = path(QStringLiteral("no-such-folder/TESSEL.INI"));
    EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("template.ini")),
                   QStringLiteral("--registry"), unreachable}),
              AdminExit::Refused);
    EXPECT_TRUE(messages.startsWith(QLatin1String("Nothing was registered: cannot open")))
        << messages.toStdString();
    EXPECT_EQ(messages.count(QLatin1Char('\n')), 1) << messages.toStdString();
}

// Each command line with its exit code and how its output and messages begin.
// A bare file name is one in the current directory, which holds HERE.INI with
// the record Here; the default registry holds Roads.
TEST_F(TesselAdmin, CommandLines)
{
    writeBytes(path(QStringLiteral("TESSEL.INI")), "[Roads]\r\nType=1\r\n");
    writeBytes(path(QStringLiteral("HERE.INI")), "[Here]\r\nType=1\r\n[-Dash]\r\nType=1\r\n");
    const QString previousDirectory = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const auto args = [](const char *line) {
        return QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
    };
    const struct
    {
        const char *arguments;
        int exitCode;
        const char *output;
        const char *messages;
    } cases[] = {
        {"", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"frobnicate", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"show", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list --registry", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"import --bogus", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list -x", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list --force=1", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"check Roads", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list --format xml", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list --format xml --format text", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"export --format json", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"list --help", AdminExit::BadUsage, "", "Usage: tessel-admin"},
        {"--help", AdminExit::Done, "Usage: tessel-admin", ""},
        {"list", AdminExit::Done, "Roads\t1", ""},
        {"list --format json --format text", AdminExit::Done, "Roads\t1", ""},
        {"list --format json", AdminExit::Done, "[", ""},
        {"list --registry HERE.INI", AdminExit::Done, "Here\t1", ""},
        {"--registry=HERE.INI list", AdminExit::Done, "Here\t1", ""},
        {"show --registry HERE.INI -- -Dash", AdminExit::Done, "Type=1", ""},
        {"check --registry MISSING.INI", AdminExit::ProblemsFound, "", "There is no registry file "},
    };
    for (const auto &line : cases) {
        SCOPED_TRACE(line.arguments);
        EXPECT_EQ(run(args(line.arguments)), line.exitCode);
        EXPECT_EQ(output.left(qstrlen(line.output)), line.output);
        EXPECT_EQ(messages.left(qstrlen(line.messages)), QLatin1String(line.messages));
    }
    // The missing registry is named as the current directory's file.
    EXPECT_TRUE(messages.contains(path(QStringLiteral("MISSING.INI")))) << messages.toStdString();
    QDir::setCurrent(previousDirectory);
}

namespace {

QByteArray Site(const QByteArray &value)
{
    QByteArray text;
    for (const char *name : {"Roads", "Rivers", "Parcels"})
        text += QByteArray("[") + name + "]\r\nType=1\r\nConnect=" + value + "\r\nDescription=" + value
                + " of the site\r\n";
    return text;
}

} // namespace

// An import is one replacement of the registry: killed at any moment it
// leaves the old registry or the whole new one, byte for byte.
TEST_F(TesselAdmin, AnImportKilledAtAnyMomentLeavesTheOldOrTheWholeNewRegistry)
{
    QByteArray old = "[Private]\r\nType=1\r\nPrivate=2\r\n";
    for (int i = 0; i < 2000; ++i)
        old += "[Record " + QByteArray::number(i) + "]\r\nType=1\r\nDescription=kept\r\n";
    old += Site("OLD");
    const QStringList templates = {path(QStringLiteral("a.ini")), path(QStringLiteral("b.ini"))};
    writeBytes(templates[0], Site("A"));
    writeBytes(templates[1], Site("B"));
    QByteArrayList whole;
    for (const QString &site : templates) {
        writeBytes(path(QStringLiteral("TESSEL.INI")), old);
        importText(readBytes(site), {QStringLiteral("--replace")});
        whole.append(registry());
    }

    const int wantedKills = std::max(12, qEnvironmentVariableIntValue("TESSEL_CRASH_KILLS"));
    writeBytes(path(QStringLiteral("TESSEL.INI")), old);
    for (int kills = 0; kills < wantedKills; ++kills) {
        const pid_t importer = Spawn([&] {
            for (int round = 0;; ++round)
                run({QStringLiteral("import"), templates[round % 2], QStringLiteral("--replace")});
        });
        QThread::usleep(QRandomGenerator::global()->bounded(20000));
        ::kill(importer, SIGKILL);
        ::waitpid(importer, nullptr, 0);

        const QByteArray now = registry();
        ASSERT_TRUE(now == old || whole.contains(now)) << "after " << kills << " kills";
        ASSERT_LE(QDir(dir.path()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden).size(), 1);
    }
}

TEST_F(TesselAdmin, ConcurrentImportsOfOneRecordLeaveOneWholeRecord)
{
    writeBytes(path(QStringLiteral("TESSEL.INI")), Site("OLD"));
    QList<pid_t> importers;
    for (const QByteArray value : {"W1", "W2", "W3", "W4"}) {
        const QString site = path(QString::fromLatin1(value) + QStringLiteral(".ini"));
        writeBytes(site, Site(value));
        importers.append(Spawn([&, site] {
            for (int round = 0; round < 5; ++round)
                run({QStringLiteral("import"), site, QStringLiteral("--replace")});
        }));
    }
    for (const pid_t importer : importers)
        ::waitpid(importer, nullptr, 0);

    const QString connect = ReadProfileString(QStringLiteral("Rivers"), QStringLiteral("Connect"), {},
                                              path(QStringLiteral("TESSEL.INI")));
    for (const char *name : {"Roads", "Rivers", "Parcels"}) {
        EXPECT_EQ(ReadProfileString(QString::fromLatin1(name), QStringLiteral("Description"), {},
                                    path(QStringLiteral("TESSEL.INI"))),
                  connect + QStringLiteral(" of the site"));
    }
    EXPECT_EQ(registry().count("[Roads]"), 1);
}

// A write that fails for want of space changes nothing and says why once.
TEST_F(TesselAdmin, AWriteThatDoesNotFitLeavesTheRegistryAsItWas)
{
    const QByteArray old = QByteArray(64 * 1024, ';') + "\r\n" + Site("OLD");
    writeBytes(path(QStringLiteral("TESSEL.INI")), old);
    writeBytes(path(QStringLiteral("template.ini")), Site("NEW"));
    {
        const test::FileSizeLimit limit(32 * 1024);
        EXPECT_EQ(run({QStringLiteral("import"), path(QStringLiteral("template.ini")),
                       QStringLiteral("--replace")}),
                  AdminExit::Refused);
    }
    EXPECT_EQ(registry(), old);
    EXPECT_TRUE(messages.contains(QLatin1String("free some disk space"))) << messages.toStdString();
    EXPECT_EQ(messages.count(QLatin1Char('\n')), 1) << messages.toStdString();
}
