#include <gtest/gtest.h>

#include <QString>

#include <limits>

#include "registry/NumericText.h"

using namespace tessel;

TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText)
{
    EXPECT_EQ(LeadingNumber(u"127"), 127);
    EXPECT_EQ(LeadingNumber(u"  42abc"), 42);
    EXPECT_EQ(LeadingNumber(u"\t-7"), -7);
    EXPECT_EQ(LeadingNumber(u"+3"), 3);
    EXPECT_EQ(LeadingNumber(u"4.6,x"), 4.6);
    EXPECT_EQ(LeadingNumber(u"12."), 12);
    EXPECT_EQ(LeadingNumber(u"025"), 25);
    EXPECT_EQ(LeadingNumber(u"1e3"), 1);
}

TEST(LeadingNumber, TextWithoutLeadingDigitsReadsAsZero)
{
    for (const char16_t *text : {u"", u"Auto", u"Error", u"-", u"+x", u".5", u"x12", u" ", u"\n1"})
        EXPECT_EQ(LeadingNumber(text), 0) << QString::fromUtf16(text).toStdString();
}

TEST(RoundHalfEven, SendsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(1.5), 2);
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-3.5), -4);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(RoundHalfEven(2.5001), 3);
}

TEST(WholeNumber, RoundsTheLeadingNumberAndHoldsItToRange)
{
    EXPECT_EQ(WholeNumber32(u"4.6,x"), 5);
    EXPECT_EQ(WholeNumber32(u"2.5"), 2);
    EXPECT_EQ(WholeNumber32(u"3.5"), 4);
    EXPECT_EQ(WholeNumber32(u" 1"), 1);
    EXPECT_EQ(WholeNumber32(u"99999999999"), 2147483647);
    EXPECT_EQ(WholeNumber32(u"-99999999999"), -2147483647 - 1);
    EXPECT_EQ(WholeNumber16(u"70000"), 32767);
    EXPECT_EQ(WholeNumber16(u"-70000"), -32768);
    EXPECT_EQ(WholeNumber16(u"9"), 9);
}

TEST(IsNumericText, AcceptsOnlyATextThatIsOneNumber)
{
    for (const char16_t *text : {u"12", u" 12", u"12 ", u"-3", u"+4", u"1.5", u"007"})
        EXPECT_TRUE(IsNumericText(text)) << QString::fromUtf16(text).toStdString();
    for (const char16_t *text : {u"", u"Auto", u"12a", u"x1", u"1 2", u" ", u"-", u"1.5.6"})
        EXPECT_FALSE(IsNumericText(text)) << QString::fromUtf16(text).toStdString();
}

TEST(WholeNumber, DigitsBeyondTheRangeOfADoubleReadAsTheNearestEnd)
{
    const QString nines(400, u'9');
    const QString negative = u'-' + nines + u".5";
    const QString tiny = u"0." + QString(400, u'0') + u'1';
    EXPECT_EQ(LeadingNumber(nines), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber(negative), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(WholeNumber32(nines), 2147483647);
    EXPECT_EQ(WholeNumber16(negative), -32768);
    EXPECT_EQ(LeadingNumber(tiny), 0);
    EXPECT_EQ(LeadingNumber(QString(u'-' + tiny)), 0);
}
