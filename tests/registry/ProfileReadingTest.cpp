#include "ProfileTestSupport.h"

#include "registry/ProfileDocument.h"
#include "registry/ProfileReading.h"

#include <vector>

using namespace tessel;
using namespace tessel::test;

namespace {

struct ValueCase
{
    const char *file;
    QString section;
    QString key;
    QString expected;
    QString defaultValue = QStringLiteral("dflt");
};

// Reads each case's key from its file and compares with what it should give.
void ExpectValues(const std::vector<ValueCase> &cases)
{
    for (const ValueCase &c : cases) {
        SCOPED_TRACE(std::string("file ") + c.file + " [" + c.section.toStdString() + "] " + c.key.toStdString());
        EXPECT_EQ(LookupString(ProfileDocument(c.file), c.section, c.key, c.defaultValue), c.expected);
    }
}

struct ListCase
{
    const char *file;
    QString section;   // unused for section lists
    QStringList expected;
};

class ProfileLists : public ProfileFileTest
{
protected:
    void expectKeys(const std::vector<ListCase> &cases)
    {
        for (const ListCase &c : cases) {
            SCOPED_TRACE(std::string("file ") + c.file);
            EXPECT_EQ(SplitNameList(ReadProfileKeys(c.section, fileWith(c.file))), c.expected);
        }
    }

    void expectSections(const std::vector<ListCase> &cases)
    {
        for (const ListCase &c : cases) {
            SCOPED_TRACE(std::string("file ") + c.file);
            EXPECT_EQ(SplitNameList(ReadProfileSections(fileWith(c.file))), c.expected);
        }
    }
};

const char *const Basic = "[Sec]\r\nKey=Value\r\nOther=2\r\n";

TEST(ProfileMatching, NamesMatchWithoutRegardToCaseButOtherwiseExactly)
{
    ExpectValues({
        {Basic, u"Sec"_qs, u"Key"_qs, u"Value"_qs},
        {Basic, u"sEC"_qs, u"kEY"_qs, u"Value"_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u"dflt"_qs},
        {Basic, u"Nope"_qs, u"Key"_qs, u"dflt"_qs},
        {"[My Sec]\r\nMy Key=v\r\n", u"my sec"_qs, u"MY KEY"_qs, u"v"_qs},
        {"[Sec]\r\nMy  Key=v\r\n", u"Sec"_qs, u"My Key"_qs, u"dflt"_qs},
        {"[a=b]\r\nk=v\r\n", u"a=b"_qs, u"k"_qs, u"v"_qs},
        {"[Sec]\r\n\"Key\"=v\r\n", u"Sec"_qs, u"\"Key\""_qs, u"v"_qs},
        {"[S\xC9\x8A]\r\nK\xC9Y=v\r\n", u"s\u00e9\u0161"_qs, u"k\u00e9y"_qs, u"v"_qs},
        {"", u"A"_qs, u"k"_qs, u"dflt"_qs},
    });
}

TEST(ProfileMatching, KeysBeforeTheFirstSectionBelongToTheNamelessSection)
{
    const char *file = "k0=v0\r\n[A]\r\nk=1\r\n";
    ExpectValues({
        {file, u""_qs, u"k0"_qs, u"v0"_qs},
        {file, u"A"_qs, u"k0"_qs, u"dflt"_qs},
        {Basic, u""_qs, u"Key"_qs, u""_qs, u""_qs},
    });
}

TEST(ProfileMatching, KeyLinesWithoutEqualsOrWithoutNameAreKeysOfTheirOwnKind)
{
    const char *file = "[s]\r\n=no name\r\nk=a=b\r\nj==x\r\ne=\r\nbare\r\n";
    ExpectValues({
        {file, u"s"_qs, u""_qs, u"no name"_qs},
        {file, u"s"_qs, u"k"_qs, u"a=b"_qs},
        {file, u"s"_qs, u"j"_qs, u"=x"_qs},
        {file, u"s"_qs, u"e"_qs, u""_qs},
        {file, u"s"_qs, u"bare"_qs, u"dflt"_qs},
        {Basic, u"Sec"_qs, u""_qs, u"default"_qs, u"default  "_qs},
    });
}

TEST(ProfileMatching, SectionLinesRunFromTheBracketToTheLastClosingBracket)
{
    ExpectValues({
        {"[Sec] junk\r\nk=v\r\n", u"Sec"_qs, u"k"_qs, u"v"_qs},
        {"[A]\r\na=1\r\n[Sec\r\nk=v\r\n", u"Sec"_qs, u"k"_qs, u"dflt"_qs},
        {"[A]\r\na=1\r\n[Sec\r\nk=v\r\n", u"A"_qs, u"k"_qs, u"v"_qs},
        {"[[a]]\r\nk=v\r\n", u"[a]"_qs, u"k"_qs, u"v"_qs},
    });
}

TEST(ProfileTrimming, BlanksAroundNamesAndValuesAreNotPartOfThem)
{
    ExpectValues({
        {Basic, u"  Sec  "_qs, u"\tKey  "_qs, u"Value"_qs},
        {"[Sec]\r\nKey =   spaced value   \r\n", u"Sec"_qs, u"Key"_qs, u"spaced value"_qs},
        {"[Sec]\r\nKey   =v\r\n", u"Sec"_qs, u"Key"_qs, u"v"_qs},
        {"[Sec]\r\n   Key=v\r\n", u"Sec"_qs, u"Key"_qs, u"v"_qs},
        {"   [Sec]\r\nKey=v\r\n", u"Sec"_qs, u"Key"_qs, u"v"_qs},
        {"[  Sec  ]\r\nKey=v\r\n", u"Sec"_qs, u"Key"_qs, u"v"_qs},
        {"[A]\r\nj=\tx\t\r\n", u"A"_qs, u"j"_qs, u"x"_qs},
    });
}

TEST(ProfileTrimming, DefaultsLoseTrailingBlanksAndQuotes)
{
    ExpectValues({
        {Basic, u"Sec"_qs, u"Nope"_qs, u"dflt"_qs, u"dflt  "_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u"one two"_qs, u"one two  "_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u" 1"_qs, u" 1"_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u"dflt"_qs, u"\"dflt\""_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u"0,0,0"_qs, u"0,0,0"_qs},
        {Basic, u"Sec"_qs, u"Nope"_qs, u"defaultvalue"_qs, u"defaultvalue"_qs},
    });
}

TEST(ProfileQuotes, OnlyAPairOfTheSameQuoteAroundTheWholeValueIsRemoved)
{
    const std::vector<std::pair<const char *, QString>> values = {
        {"\"abc\"", u"abc"_qs},         {"'abc'", u"abc"_qs},
        {"\"abc", u"\"abc"_qs},         {"abc\"", u"abc\""_qs},
        {"\"abc'", u"\"abc'"_qs},       {"\"abc\"   ", u"abc"_qs},
        {"   \"abc\"", u"abc"_qs},      {"\"  abc  \"", u"  abc  "_qs},
        {"\"\"", u""_qs},               {"\"", u"\""_qs},
        {"\"a\"b\"", u"a\"b"_qs},       {"\"abc\" def", u"\"abc\" def"_qs},
        {"\"'abc'\"", u"'abc'"_qs},     {"\"\"abc\"\"", u"\"abc\""_qs},
    };
    for (const auto &[written, read] : values) {
        SCOPED_TRACE(written);
        const QByteArray file = QByteArray("[Sec]\r\nKey=") + written + "\r\n";
        EXPECT_EQ(LookupString(ProfileDocument(file), u"Sec", u"Key", u"dflt"), read);
    }
    EXPECT_EQ(StripQuotes(u"'x\""), u"'x\"");
}

TEST(ProfileComments, SemicolonLinesAreCommentsButSemicolonsInValuesAreText)
{
    const char *file = "; leading comment\r\n[s]\r\n; comment line\r\nk=v\r\n;k2=v2\r\n  ; indented\r\n"
                       "k4=v4 ; not a comment\r\n\r\nk5=v5\r\n";
    ExpectValues({
        {file, u"s"_qs, u"k4"_qs, u"v4 ; not a comment"_qs},
        {file, u"s"_qs, u"k5"_qs, u"v5"_qs},
        {file, u"s"_qs, u";k2"_qs, u"dflt"_qs},
        {file, u""_qs, u"; leading comment"_qs, u"dflt"_qs},
    });
}

TEST_F(ProfileLists, CommentsAndKeysWithoutEqualsAreNotListed)
{
    expectKeys({
        {"; c\r\n[s]\r\n; c\r\nk=v\r\n;k2=v2\r\n#k3=v3\r\nbare\r\n[Sec\r\nk4=v4\r\n", u"s"_qs,
         {u"k"_qs, u"#k3"_qs, u"k4"_qs}},
        {"[s]\r\nk=1\r\n=v\r\nj=2\r\n", u"s"_qs, {u"k"_qs, u""_qs, u"j"_qs}},
        {"[s]\r\n=v\r\nk=1\r\n", u"s"_qs, {}},
        {"[A]\r\nk[1]=v\r\nx]=y\r\n", u"A"_qs, {u"k[1]"_qs, u"x]"_qs}},
        {"[A]\r\n[B]\r\nk=v\r\n", u"A"_qs, {}},
        {"", u"A"_qs, {}},
        {"k0=v0\r\n", u""_qs, {}},
    });
    expectSections({
        {"; c\r\n[s]\r\n; c\r\nk=v\r\n", {}, {u"s"_qs}},
        {"k0=v0\r\n[A]\r\nk=1\r\n", {}, {u"A"_qs}},
        {"[;x]\r\n[[a]]\r\n[Sec\r\n[a=b]\r\n", {}, {u";x"_qs, u"[a]"_qs, u"a=b"_qs}},
        {"[ S1 ]\r\n[S2]\r\nk=v\r\n[S3]\r\n", {}, {u"S1"_qs, u"S2"_qs, u"S3"_qs}},
        {"", {}, {}},
    });
}

TEST_F(ProfileLists, MissingFilesListNothing)
{
    EXPECT_EQ(ReadProfileSections(path()), QString());
    EXPECT_EQ(ReadProfileKeys(u"A"_qs, path()), QString());
    EXPECT_EQ(ReadProfileString(u"A"_qs, u"k"_qs, u"dflt"_qs, path()), u"dflt");
}

TEST(ProfileDuplicates, TheFirstSectionAndTheFirstKeyOfANameWin)
{
    const char *sections = "[A]\r\nk=1\r\n[B]\r\nx=0\r\n[a]\r\nk=2\r\nj=3\r\n";
    const char *keys = "[A]\r\nk=1\r\nK=2\r\nj=3\r\n";
    ExpectValues({
        {sections, u"A"_qs, u"k"_qs, u"1"_qs},
        {sections, u"a"_qs, u"j"_qs, u"dflt"_qs},
        {keys, u"A"_qs, u"K"_qs, u"1"_qs},
        {"[s]\r\nk\r\nk=2\r\n", u"s"_qs, u"k"_qs, u"dflt"_qs},
    });
    const ProfileDocument document(sections);
    EXPECT_EQ(document.sectionNames(), QStringList({u"A"_qs, u"B"_qs, u"a"_qs}));
    EXPECT_EQ(document.keyNames(u"a"), QStringList({u"k"_qs}));
    EXPECT_EQ(ProfileDocument(keys).keyNames(u"A"), QStringList({u"k"_qs, u"K"_qs, u"j"_qs}));
}

TEST(ProfileLineEndings, AnyBreakEndsALine)
{
    const char *crOnly = "[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r";
    ExpectValues({
        {"[A]\nk=v\nj=w\n", u"A"_qs, u"j"_qs, u"w"_qs},
        {crOnly, u"section1"_qs, u"name2"_qs, u"val2"_qs},
        {crOnly, u"section2"_qs, u"missing"_qs, u""_qs, u""_qs},
        {"[A]\nk=1\r\nj=2\rm=3\r\n", u"A"_qs, u"m"_qs, u"3"_qs},
        {"[A]\r\n\r\n\r\nk=v", u"A"_qs, u"k"_qs, u"v"_qs},
    });
    const ProfileDocument document(crOnly);
    EXPECT_EQ(document.keyNames(u"section1"), QStringList({u"name1"_qs, u"name2"_qs, u"name4"_qs}));
    EXPECT_EQ(document.sectionNames(), QStringList({u"section1"_qs, u"section2"_qs}));
}

QByteArray LongValueFile(qsizetype length)
{
    return "[A]\r\nk=" + QByteArray(length, 'x') + "\r\n";
}

TEST(ProfileLimits, ValuesComeBackWholeUpToTheLargestReadBuffer)
{
    for (const qsizetype length : {0, 1, 1999, 2000, 3000, 31998}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(LookupString(ProfileDocument(LongValueFile(length)), u"A", u"k", u""), QString(length, u'x'));
    }
    for (const qsizetype length : {31999, 32000, 40000}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(LookupString(ProfileDocument(LongValueFile(length)), u"A", u"k", u"dflt"), QString());
    }
}

QStringList Names(char prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QLatin1Char(prefix) + QStringLiteral("%1").arg(i, 19, 10, QLatin1Char('0')));
    return names;
}

TEST(ProfileLimits, ListsComeBackWholeWhileTheyFitTheLargestReadBuffer)
{
    // Twenty characters and a NUL a name: 1523 names fill 31983 characters.
    for (const int count : {95, 96, 150, 1523})
        EXPECT_EQ(SplitNameList(JoinNameList(Names('K', count))), Names('K', count)) << count;
    EXPECT_EQ(JoinNameList(Names('K', 1524)), QString());
    EXPECT_EQ(JoinNameList({QString(31996, u'x')}).size(), 31997);
    EXPECT_EQ(JoinNameList({QString(31997, u'x')}), QString());
    EXPECT_EQ(JoinNameList({QString(31996, u'x'), u""_qs}), QString());
}

TEST_F(ProfileLists, ManySectionsAndKeysAreListedInFileOrder)
{
    QByteArray sections;
    for (const QString &name : Names('S', 150))
        sections += "[" + name.toLatin1() + "]\r\nType=t\r\n";
    QByteArray keys = "[A]\r\n";
    for (const QString &name : Names('K', 96))
        keys += name.toLatin1() + "=v\r\n";
    expectSections({{sections.constData(), {}, Names('S', 150)}});
    expectKeys({{keys.constData(), u"A"_qs, Names('K', 96)}});
}

TEST(ProfileEncodings, FilesWithoutAMarkAreWindows1252)
{
    const char *file = "[S\xE9" "c]\r\nK\xE9y=v\xE9\r\nCp=\x80\x81\x8D\x9F\xFF\r\nU=caf\xC3\xA9\r\n";
    ExpectValues({
        {file, u"S\u00e9c"_qs, u"K\u00e9y"_qs, u"v\u00e9"_qs},
        {file, u"s\u00e9C"_qs, u"k\u00c9Y"_qs, u"v\u00e9"_qs},
        {file, u"S\u00e9c"_qs, u"Cp"_qs, u"\u20ac\u0081\u008d\u0178\u00ff"_qs},
        {file, u"S\u00e9c"_qs, u"U"_qs, u"caf\u00c3\u00a9"_qs},
        {file, u"S\u00e9c"_qs, u"Nope"_qs, u"a?b"_qs, u"a\u0100b"_qs},
    });
}

TEST(ProfileEncodings, AByteOrderMarkMakesTheFileUnicode)
{
    const char *utf8 = "\xEF\xBB\xBF[Sec]\r\nKey=caf\xC3\xA9\r\nK\xC3\xA9y=v\r\n";
    const QByteArray utf16 = QByteArray("\xFF\xFE", 2) + QByteArray("[\0S\0e\0c\0]\0\r\0\n\0K\0=\0\xE9\0\x01\x01\r\0\n\0", 26);
    ExpectValues({
        {utf8, u"Sec"_qs, u"K\u00c9Y"_qs, u"v"_qs},
        {utf8, u"Sec"_qs, u"Key"_qs, u"caf\u00e9"_qs},
        {utf8, u"Sec"_qs, u"Nope"_qs, u"\u0100"_qs, u"\u0100"_qs},
    });
    EXPECT_EQ(ProfileDocument(utf8).sectionNames(), QStringList({u"Sec"_qs}));
    EXPECT_EQ(ProfileDocument(utf8).keyNames(u"sec"), QStringList({u"Key"_qs, u"K\u00e9y"_qs}));
    EXPECT_EQ(LookupString(ProfileDocument(utf16), u"Sec", u"K", u""), u"\u00e9\u0101");
}

} // namespace
