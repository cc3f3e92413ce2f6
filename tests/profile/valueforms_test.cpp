// The text forms of dates, times, numbers and colours, as tables.
#include "valueforms.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

TEST(ValueForms, DatesAndTimesAreWrittenWithoutLeadingZeros)
{
    EXPECT_EQ(formatDate(QDate(2026, 1, 5)), u"2026/1/5"_s);
    EXPECT_EQ(formatDate(QDate(2026, 12, 31)), u"2026/12/31"_s);
    EXPECT_EQ(formatTime(QTime(9, 5)), u"9:05"_s);
    EXPECT_EQ(formatTime(QTime(0, 0, 59)), u"0:00"_s);
    EXPECT_EQ(formatTime(QTime(23, 59)), u"23:59"_s);
}

TEST(ValueForms, DateParsing)
{
    struct Row {
        QString text;
        QDate expected;
    };
    const Row rows[] = {
        {u"2026/12/7"_s, QDate(2026, 12, 7)},
        {u"2026/01/05"_s, QDate(2026, 1, 5)},
        {u" 2026-1-5 "_s, QDate(2026, 1, 5)},
        {u"２０２６／１２／７"_s, QDate(2026, 12, 7)},
        {u"２０２７・１・１"_s, QDate(2027, 1, 1)},
        {u"2028/2/29"_s, QDate(2028, 2, 29)},
        {u"2026/2/29"_s, {}},
        {u"2026/13/1"_s, {}},
        {u"2026/0/1"_s, {}},
        {u"26/12/7"_s, {}},
        {u"2026/12"_s, {}},
        {u"2026/12/7/1"_s, {}},
        {u"2026/1-5"_s, {}},
        {u"2026/+1/5"_s, {}},
        {u"2026/1/5x"_s, {}},
        {u""_s, {}},
        {u"12345/1/1"_s, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const auto parsed = parseDate(row.text);
        EXPECT_EQ(parsed.has_value(), row.expected.isValid());
        if (parsed) {
            EXPECT_EQ(*parsed, row.expected);
        }
    }
}

TEST(ValueForms, TimeParsing)
{
    struct Row {
        QString text;
        QTime expected;
    };
    const Row rows[] = {
        {u"9:00"_s, QTime(9, 0)},
        {u"09:05"_s, QTime(9, 5)},
        {u"0:3"_s, QTime(0, 3)},
        {u"23:59:59"_s, QTime(23, 59, 59)},
        {u"１０：３０"_s, QTime(10, 30)},
        {u" 7:45 "_s, QTime(7, 45)},
        {u"24:00"_s, {}},
        {u"9:60"_s, {}},
        {u"9:00:60"_s, {}},
        {u"9"_s, {}},
        {u"9:"_s, {}},
        {u":30"_s, {}},
        {u"9:000"_s, {}},
        {u"-1:00"_s, {}},
        {u"9.30"_s, {}},
        {u"9:00 PM"_s, {}},
        {u""_s, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const auto parsed = parseTime(row.text);
        EXPECT_EQ(parsed.has_value(), row.expected.isValid());
        if (parsed) {
            EXPECT_EQ(*parsed, row.expected);
        }
    }
}

TEST(ValueForms, WholeNumbersRoundHalvesToEvenAndCheckTheirRange)
{
    struct Row {
        QString text;
        std::optional<int> whole16;
        std::optional<int> whole32;
    };
    const Row rows[] = {
        {u"10"_s, 10, 10},
        {u"-5"_s, -5, -5},
        {u"+7"_s, 7, 7},
        {u"10.5"_s, 10, 10},
        {u"11.5"_s, 12, 12},
        {u"-2.5"_s, -2, -2},
        {u"2.51"_s, 3, 3},
        {u".5"_s, 0, 0},
        {u"3."_s, 3, 3},
        {u"１５"_s, 15, 15},
        {u"32767"_s, 32767, 32767},
        {u"32767.5"_s, std::nullopt, 32768},
        {u"-32768"_s, -32768, -32768},
        {u"40000"_s, std::nullopt, 40000},
        {u"-2147483648"_s, std::nullopt, INT32_MIN},
        {u"2147483648"_s, std::nullopt, std::nullopt},
        {u""_s, std::nullopt, std::nullopt},
        {u"-"_s, std::nullopt, std::nullopt},
        {u"."_s, std::nullopt, std::nullopt},
        {u"1,5"_s, std::nullopt, std::nullopt},
        {u"1e3"_s, std::nullopt, std::nullopt},
        {u"0x10"_s, std::nullopt, std::nullopt},
        {u"1.2.3"_s, std::nullopt, std::nullopt},
        {u"nan"_s, std::nullopt, std::nullopt},
        {u"10秒"_s, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text.toStdString());
        const auto w16 = parseWhole16(row.text);
        const auto w32 = parseWhole32(row.text);
        EXPECT_EQ(w16 ? std::optional<int>(*w16) : std::nullopt, row.whole16);
        EXPECT_EQ(w32 ? std::optional<int>(*w32) : std::nullopt, row.whole32);
    }
    EXPECT_EQ(parseDecimal(u"10.5"_s), 10.5);
    EXPECT_EQ(parseFontPoints(u"10.5"_s), 10.5);
    EXPECT_EQ(parseFontPoints(u"１２"_s), 12.0);
    for (const QString& refused : {u"10.3"_s, u"0"_s, u"-9"_s, u"513"_s, u"10,5"_s, u""_s})
        EXPECT_EQ(parseFontPoints(refused), std::nullopt) << refused.toStdString();
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
}

TEST(ValueForms, FlagsAndColours)
{
    EXPECT_TRUE(isFlagOn(u"1"_s));
    for (const QString& off : {u"0"_s, u""_s, u"2"_s, u"１"_s, u"true"_s})
        EXPECT_FALSE(isFlagOn(off)) << off.toStdString();

    const auto red = parseColour(u"255"_s);
    ASSERT_TRUE(red);
    EXPECT_FALSE(red->isSystem());
    EXPECT_EQ(red->red(), 255);
    EXPECT_EQ(red->blue(), 0);
    const auto azure = parseColour(QString::number(ColourValue::fromRgb(0x10, 0x80, 0xFF).raw));
    ASSERT_TRUE(azure);
    EXPECT_EQ(azure->green(), 0x80);
    EXPECT_EQ(azure->blue(), 0xFF);
    const auto face = parseColour(u"-2147483633"_s); // 0x8000000F
    ASSERT_TRUE(face);
    EXPECT_TRUE(face->isSystem());
    EXPECT_EQ(face->systemIndex(), kButtonFaceIndex);
    EXPECT_EQ(ColourValue::system(kButtonTextIndex).raw, -2147483630);
    EXPECT_FALSE(parseColour(u"4294967295"_s));
    EXPECT_FALSE(parseColour(u"赤"_s));
}

TEST(ValueForms, FullWidthInputBecomesAscii)
{
    EXPECT_EQ(toHalfWidth(u"ＡＢｃ１２３：／－　！～"_s), u"ABc123:/- !~"_s);
    EXPECT_EQ(toHalfWidth(u"漢字ｶﾅ"_s), u"漢字ｶﾅ"_s);
}
