#include <gtest/gtest.h>

#include "platform/Windows1252.h"

using namespace tessel;

namespace {

TEST(Windows1252, EveryByteComesBackAsItWasRead)
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    const QString text = Windows1252::Decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Windows1252::Encode(text), all);
    EXPECT_EQ(Windows1252::Fit(text), text);
}

TEST(Windows1252, HighBytesStandForTheirCharacters)
{
    const std::pair<uchar, char16_t> pairs[] = {
        {0x41, u'A'},      {0x80, u'\u20AC'}, {0x81, u'\u0081'}, {0x8A, u'\u0160'}, {0x8D, u'\u008D'},
        {0x8F, u'\u008F'}, {0x90, u'\u0090'}, {0x9D, u'\u009D'}, {0x9F, u'\u0178'}, {0xA0, u'\u00A0'},
        {0xE9, u'\u00E9'}, {0xFF, u'\u00FF'},
    };
    for (const auto &[byte, character] : pairs) {
        EXPECT_EQ(Windows1252::ToUnicode(byte), QChar(character)) << int(byte);
        EXPECT_EQ(Windows1252::Encode(QStringView(&character, 1)), QByteArray(1, char(byte))) << int(byte);
    }
}

TEST(Windows1252, CharactersTheCodePageCannotHoldBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(Windows1252::Encode(u"a\u0100b"), "a?b");
    EXPECT_EQ(Windows1252::Encode(u"\u0080\u0099"), "??");   // control characters the table gives other bytes
    EXPECT_EQ(Windows1252::Encode(u"x\U0001F600y"), "x?y");
    EXPECT_EQ(Windows1252::Encode(u"\xD800z"), "?z");
    EXPECT_EQ(Windows1252::Fit(u"Stra\u00dfe \u0142\u00f3d\u017a"_qs), u"Stra\u00dfe ?\u00f3d?");
}

} // namespace
