#include "ProfileTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <vector>

using namespace tessel;
using namespace tessel::test;

namespace {

struct WriteCase
{
    const char *before;
    QString section;
    QString key;
    QString value;
    const char *after;
};

struct DeleteCase
{
    const char *before;
    QString section;
    const char *after;
};

class ProfileWrites : public ProfileFileTest
{
protected:
    void expectWrites(const std::vector<WriteCase> &cases)
    {
        for (const WriteCase &c : cases) {
            SCOPED_TRACE(std::string("file ") + c.before + " writes [" + c.section.toStdString() + "] "
                         + c.key.toStdString() + "=" + c.value.toStdString());
            const QString file = fileWith(c.before);
            EXPECT_TRUE(WriteProfileString(c.section, c.key, c.value, file));
            EXPECT_EQ(readBytes(file), QByteArray(c.after));
        }
    }

    void expectDeletes(const std::vector<DeleteCase> &cases)
    {
        for (const DeleteCase &c : cases) {
            SCOPED_TRACE(std::string("file ") + c.before + " loses [" + c.section.toStdString() + "]");
            const QString file = fileWith(c.before);
            EXPECT_TRUE(DeleteProfileSection(c.section, file));
            EXPECT_EQ(readBytes(file), QByteArray(c.after));
        }
    }
};

TEST_F(ProfileWrites, AnExistingKeyGetsItsNewValueInPlace)
{
    expectWrites({
        {"[Sec]\r\nKey=old\r\nK2=x\r\n", u"Sec"_qs, u"Key"_qs, u"new"_qs, "[Sec]\r\nKey=new\r\nK2=x\r\n"},
        {"[Sec]\r\nMyKey=old\r\n", u"SEC"_qs, u"MYKEY"_qs, u"new"_qs, "[Sec]\r\nMyKey=new\r\n"},
        {"[A]\r\n  k1 = v1  \r\nk2=x\r\n", u"A"_qs, u"k1"_qs, u"w"_qs, "[A]\r\n  k1=w\r\nk2=x\r\n"},
        {"[A]\r\nk=v\r\n", u"  A  "_qs, u"  k  "_qs, u"new"_qs, "[A]\r\nk=new\r\n"},
        {"[s]\r\nname2=\r\nname3\r\nname4=4\r\n", u"s"_qs, u"name3"_qs, u"v3"_qs,
         "[s]\r\nname2=\r\nname3=v3\r\nname4=4\r\n"},
        {"[A]\r\nk=1\r\n[B]\r\nx=0\r\n[a]\r\nk=2\r\n", u"A"_qs, u"k"_qs, u"new"_qs,
         "[A]\r\nk=new\r\n[B]\r\nx=0\r\n[a]\r\nk=2\r\n"},
        {"[A]\r\nk=1\r\nK=2\r\n", u"A"_qs, u"K"_qs, u"9"_qs, "[A]\r\nk=9\r\nK=2\r\n"},
        {"[A]\r\nk=v", u"A"_qs, u"k"_qs, u"w"_qs, "[A]\r\nk=w"},
    });
}

TEST_F(ProfileWrites, ANewKeyFollowsTheLastKeyOfItsSection)
{
    expectWrites({
        {"[A]\r\nk1=v1\r\n\r\n[B]\r\nk2=v2\r\n", u"A"_qs, u"k3"_qs, u"v3"_qs,
         "[A]\r\nk1=v1\r\nk3=v3\r\n\r\n[B]\r\nk2=v2\r\n"},
        {"[A]\r\nk1=v1\r\n; tail\r\n\r\n\r\n[B]\r\n", u"A"_qs, u"k3"_qs, u"v3"_qs,
         "[A]\r\nk1=v1\r\nk3=v3\r\n; tail\r\n\r\n\r\n[B]\r\n"},
        {"[A]\r\nk1=v1\r\nbare\r\n[B]\r\n", u"A"_qs, u"k3"_qs, u"v3"_qs, "[A]\r\nk1=v1\r\nbare\r\nk3=v3\r\n[B]\r\n"},
        {"[A]\r\n; about A\r\n[B]\r\nk=v\r\n", u"a"_qs, u"k"_qs, u"v"_qs, "[A]\r\nk=v\r\n; about A\r\n[B]\r\nk=v\r\n"},
        {"[A]\r\nk=v", u"A"_qs, u"j"_qs, u"w"_qs, "[A]\r\nk=v\r\nj=w"},
        {"[A]", u"A"_qs, u"j"_qs, u"w"_qs, "[A]\r\nj=w"},
        {"[A]\r\nk=v\r\n", u"A"_qs, u""_qs, u"v"_qs, "[A]\r\nk=v\r\n=v\r\n"},
        {"[A]\r\nk=v\r\n", u"A"_qs, u"  sp key  "_qs, u"v"_qs, "[A]\r\nk=v\r\nsp key=v\r\n"},
        {"[A]\r\n", u"A"_qs, u"j"_qs, u"  a=b 'c' \"d\"  "_qs, "[A]\r\nj=  a=b 'c' \"d\"  \r\n"},
        {"k0=v0\r\n[A]\r\nk=1\r\n", u"A"_qs, u"k0"_qs, u"2"_qs, "k0=v0\r\n[A]\r\nk=1\r\nk0=2\r\n"},
    });
}

TEST_F(ProfileWrites, AMissingSectionIsAddedAtTheEnd)
{
    expectWrites({
        {"", u"A"_qs, u"k"_qs, u"v"_qs, "[A]\r\nk=v\r\n"},
        {"[A]\r\nk=v\r\n\r\n", u"B"_qs, u"k"_qs, u"v"_qs, "[A]\r\nk=v\r\n\r\n[B]\r\nk=v\r\n"},
        {"[A]\r\nk=v", u"B"_qs, u"k"_qs, u"v"_qs, "[A]\r\nk=v\r\n[B]\r\nk=v"},
        {"; only a comment\r\n", u"  New Sec  "_qs, u"k"_qs, u""_qs, "; only a comment\r\n[New Sec]\r\nk=\r\n"},
    });
    const QString file = path(u"NEW.INI"_qs);
    EXPECT_TRUE(WriteProfileString(u"App"_qs, u"key"_qs, u""_qs, file));
    EXPECT_EQ(readBytes(file), "[App]\r\nkey=\r\n");
}

TEST_F(ProfileWrites, NewLinesTakeTheLineBreakOfTheFile)
{
    expectWrites({
        {"[A]\nk=v\nj=w\n", u"A"_qs, u"k"_qs, u"x"_qs, "[A]\nk=x\nj=w\n"},
        {"[A]\nk=v\n", u"A"_qs, u"j"_qs, u"w"_qs, "[A]\nk=v\nj=w\n"},
        {"[A]\rk=v\r", u"B"_qs, u"j"_qs, u"w"_qs, "[A]\rk=v\r[B]\rj=w\r"},
        {"[A]\nk=v\r\n", u"B"_qs, u"j"_qs, u"w"_qs, "[A]\nk=v\r\n[B]\nj=w\n"},
    });
}

TEST_F(ProfileWrites, EveryLineTheWriteDoesNotChangeKeepsItsBytes)
{
    const char *before = "; head comment\r\n[A]\r\n  k1 = v1  \r\n; c\r\n\r\nk2=\"q\"\r\nbare\r\nUnknown=\xE9\x81\r\n"
                         "[B]\nx=1\n[C]\r\n\r\n";
    const char *after = "; head comment\r\n[A]\r\n  k1 = v1  \r\n; c\r\n\r\nk2=\"q\"\r\nbare\r\nUnknown=\xE9\x81\r\n"
                        "[B]\nx=2\n[C]\r\n\r\n";
    expectWrites({{before, u"B"_qs, u"x"_qs, u"2"_qs, after}});
    expectDeletes({{after, u"C"_qs,
                    "; head comment\r\n[A]\r\n  k1 = v1  \r\n; c\r\n\r\nk2=\"q\"\r\nbare\r\nUnknown=\xE9\x81\r\n"
                    "[B]\nx=2\n"}});
}

TEST_F(ProfileWrites, RemovingASectionTakesItsLinesUpToTheNextSection)
{
    const char *apps = "[App1]\r\nkey1=string1\r\n; note\r\n\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n";
    expectDeletes({
        {apps, u"app1"_qs, "[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n"},
        {apps, u" App2 "_qs, "[App1]\r\nkey1=string1\r\n; note\r\n\r\n[App3]\r\nkey5=string5\r\n"},
        {apps, u"App3"_qs, "[App1]\r\nkey1=string1\r\n; note\r\n\r\n[App2]\r\nkey4=string4\r\n"},
        {apps, u"Nope"_qs, apps},
        {"[A]\r\nk=1\r\n[a]\r\nk=2\r\n", u"A"_qs, "[a]\r\nk=2\r\n"},
        {"k0=v0\r\n[A]\r\nk=1\r\n", u"A"_qs, "k0=v0\r\n"},
    });
    const QString file = fileWith("[A]\r\nk=1\r\n");
    ASSERT_TRUE(DeleteProfileSection(u"A"_qs, file));
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, u"gone"_qs, file), u"gone");
    EXPECT_TRUE(DeleteProfileSection(u"A"_qs, path(u"MISSING.INI"_qs)));
    EXPECT_FALSE(QFile::exists(path(u"MISSING.INI"_qs)));
}

TEST_F(ProfileWrites, TextsAreWrittenInTheEncodingOfTheFile)
{
    expectWrites({
        {"[S\xE9" "c]\r\n", u"s\u00c9c"_qs, u"N\u00e9w"_qs, u"\u20ac\u0081\u0178\u00ff"_qs,
         "[S\xE9" "c]\r\nN\xE9w=\x80\x81\x9F\xFF\r\n"},
        {"\xEF\xBB\xBF[A]\r\n", u"A"_qs, u"k"_qs, u"\u00e9\u0100"_qs, "\xEF\xBB\xBF[A]\r\nk=\xC3\xA9\xC4\x80\r\n"},
        {"\xEF\xBB\xBF", u"A"_qs, u"k"_qs, u"v"_qs, "\xEF\xBB\xBF[A]\r\nk=v\r\n"},
        {"[Sec]\r\nKey=caf\xC3\xA9\r\n", u"Sec"_qs, u"K2"_qs, u"x"_qs, "[Sec]\r\nKey=caf\xC3\xA9\r\nK2=x\r\n"},
    });
    const QString file = fileWith(QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0", 12));
    ASSERT_TRUE(WriteProfileString(u"A"_qs, u"k"_qs, u"\u0101"_qs, file));
    EXPECT_EQ(readBytes(file), QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\x01\x01\r\0\n\0", 22));
    EXPECT_EQ(ReadProfileString(u"a"_qs, u"K"_qs, {}, file), u"\u0101");
}

TEST_F(ProfileWrites, AHalfCharacterEndingAUtf16FileIsNoTextAndGivesWayToNewLines)
{
    const QString file = fileWith(QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0" "1", 17));
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, u"none"_qs, file), QString());
    ASSERT_TRUE(WriteProfileString(u"B"_qs, u"n"_qs, u"2"_qs, file));
    EXPECT_EQ(readBytes(file), QByteArray("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0\r\0\n\0[\0B\0]\0\r\0\n\0n\0=\0" "2\0", 36));
    EXPECT_EQ(ReadProfileString(u"B"_qs, u"n"_qs, {}, file), u"2");
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, u"none"_qs, file), QString());
}

TEST_F(ProfileWrites, WhatWouldBreakTheFileIsRefusedAndNothingIsWritten)
{
    const char *before = "[A]\r\nk=v\r\n";
    const struct
    {
        QString section, key, value;
    } refused[] = {
        {u""_qs, u"k"_qs, u"v"_qs},      {u"   "_qs, u"k"_qs, u"v"_qs},   {u"A]"_qs, u"k"_qs, u"v"_qs},
        {u"A\nB"_qs, u"k"_qs, u"v"_qs},  {u"A"_qs, u"k=j"_qs, u"v"_qs},   {u"A"_qs, u";c"_qs, u"v"_qs},
        {u"A"_qs, u"  ;c"_qs, u"v"_qs},  {u"A"_qs, u"[x"_qs, u"v"_qs},    {u"A"_qs, u"k\r"_qs, u"v"_qs},
        {u"A"_qs, u"k"_qs, u"one\ntwo"_qs}, {u"A"_qs, u"k"_qs, u"a\rb"_qs},
        {u"A"_qs, u"k"_qs, QStringView(u"a\0b", 3).toString()}, {QStringView(u"A\0", 2).toString(), u"k"_qs, u"v"_qs},
        {u"A"_qs, u"k"_qs, u"\u0100"_qs},  {u"\u0100"_qs, u"k"_qs, u"v"_qs}, {u"A"_qs, u"\u0100"_qs, u"v"_qs},
        {u"A"_qs, u"k"_qs, QString(32000, u'v')},
    };
    for (const auto &write : refused) {
        SCOPED_TRACE(QString(u'[' + write.section + u"] " + write.key + u'=' + write.value).toStdString());
        const QString file = fileWith(before);
        EXPECT_FALSE(WriteProfileString(write.section, write.key, write.value, file));
        EXPECT_EQ(readBytes(file), before);
        EXPECT_FALSE(WriteProfileString(write.section, write.key, write.value, path(u"NEW.INI"_qs)));
        EXPECT_FALSE(QFile::exists(path(u"NEW.INI"_qs)));
    }
    for (const QString &section : {u""_qs, u"A]"_qs, u"A\r\n"_qs}) {
        const QString file = fileWith(before);
        EXPECT_FALSE(DeleteProfileSection(section, file));
        EXPECT_EQ(readBytes(file), before);
    }
    EXPECT_FALSE(WriteProfileString(u"A"_qs, u"k"_qs, u"v"_qs, path(u"no/such/dir/X.INI"_qs)));
}

mode_t ModeOf(const QString &file)
{
    struct stat status{};
    ::stat(QFile::encodeName(file).constData(), &status);
    return status.st_mode & 07777;
}

TEST_F(ProfileWrites, TheReplacedFileKeepsItsPermissionsAndItsLinks)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    ASSERT_TRUE(WriteProfileString(u"A"_qs, u"k"_qs, u"w"_qs, file));
    EXPECT_EQ(ModeOf(file), 0640u);

    ASSERT_TRUE(QDir(m_dir.path()).mkdir(u"real"_qs));
    const QString target = fileWith("[A]\r\nk=v\r\n", u"real/TARGET.INI"_qs);
    const QString link = path(u"LINK.INI"_qs);
    ASSERT_TRUE(QFile::link(u"real/TARGET.INI"_qs, link));
    ASSERT_TRUE(WriteProfileString(u"A"_qs, u"k"_qs, u"through the link"_qs, link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readBytes(target), "[A]\r\nk=through the link\r\n");
    EXPECT_EQ(QDir(m_dir.filePath(u"real"_qs)).entryList(QDir::Files | QDir::Hidden), QStringList({u"TARGET.INI"_qs}));
}

TEST_F(ProfileWrites, AnUnchangedFileIsNotReplaced)
{
    const QString file = fileWith("[A]\r\nk=v\r\n");
    const QFileInfo before(file);
    ASSERT_TRUE(WriteProfileString(u"a"_qs, u"K"_qs, u"v"_qs, file));
    ASSERT_TRUE(DeleteProfileSection(u"B"_qs, file));
    EXPECT_EQ(QFileInfo(file).fileTime(QFileDevice::FileModificationTime),
              before.fileTime(QFileDevice::FileModificationTime));
    EXPECT_EQ(QFileInfo(file).birthTime(), before.birthTime());
}

TEST_F(ProfileWrites, AFileNamedWithoutADirectoryLivesInTheProfileDirectory)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    const QString profileDir = path(u"config"_qs);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profileDir));
    EXPECT_TRUE(WriteProfileString(u"General"_qs, u"TesselSignal"_qs, u"ICQ:x"_qs, u"VELUMGIS.INI"_qs));
    EXPECT_EQ(readBytes(profileDir + u"/VELUMGIS.INI"), "[General]\r\nTesselSignal=ICQ:x\r\n");
    EXPECT_EQ(ReadProfileString(u"General"_qs, u"TesselSignal"_qs, {}, u"VELUMGIS.INI"_qs), u"ICQ:x");
    qputenv("XDG_CONFIG_HOME", saved);
}

} // namespace
