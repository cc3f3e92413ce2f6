// CP932 as Windows writes it, checked against known byte values.
#include "textcodec.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace Qt::StringLiterals;

TEST(Cp932, KnownCharactersRoundTripByteForByte)
{
    struct Row {
        const char* name;
        QString text;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"ascii with backslash and tilde", u"a\\~"_s, "a\\~"},
        {"kanji whose second byte is a backslash", u"表示"_s, "\x95\x5C\x8E\xA6"},
        {"full-width tilde is 0x8160", u"～"_s, "\x81\x60"},
        {"full-width reverse solidus", u"＼"_s, "\x81\x5F"},
        {"NEC row 13", u"①№㈱"_s, "\x87\x40\x87\x82\x87\x8A"},
        {"IBM extension", u"ⅰ髙﨑"_s, "\xFA\x40\xFB\xFC\xFA\xB1"},
        {"half-width katakana", u"ｶﾅ"_s, "\xB6\xC5"},
        {"full-width yen and not sign", u"￥￢"_s, "\x81\x8F\x81\xCA"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(toCp932(row.text), row.bytes);
        EXPECT_EQ(fromCp932(row.bytes), row.text);
        EXPECT_EQ(cp932Length(row.text), row.bytes.size());
    }
}

TEST(Cp932, JisStyleCodePointsAreStoredAsWindowsStoresThem)
{
    EXPECT_EQ(toCp932(u"〜"_s), QByteArray("\x81\x60")); // wave dash
    EXPECT_EQ(toCp932(u"‖"_s), QByteArray("\x81\x61"));  // double vertical line
    EXPECT_EQ(toCp932(u"−"_s), QByteArray("\x81\x7C"));  // minus sign
    EXPECT_EQ(toCp932(u"—"_s), QByteArray("\x81\x5C"));  // em dash
    EXPECT_EQ(toCp932(u"¢£¬"_s), QByteArray("\x81\x91\x81\x92\x81\xCA"));
    EXPECT_EQ(toCp932(u"¥"_s), QByteArray("\x5C"));
}

TEST(Cp932, WhatCannotBeConvertedIsMarkedNotDropped)
{
    EXPECT_EQ(toCp932(u"a😀b"_s), QByteArray("a?b"));                       // outside the BMP
    EXPECT_EQ(toCp932(u"aéb"_s), QByteArray("a?b"));                       // no CP932 form
    EXPECT_EQ(toCp932(QString(QChar(0xD800)) + u"x"_s), QByteArray("?x")); // lone surrogate
    EXPECT_EQ(fromCp932("a\x81"), u"a\uFFFD"_s);                           // truncated double-byte character
    EXPECT_EQ(fromCp932("\x81\x20z"), u"\uFFFD z"_s);                      // invalid second byte
    EXPECT_EQ(fromCp932("\xA0\xFD\xFF"), u"\uFFFD\uFFFD\uFFFD"_s);
    EXPECT_EQ(fromCp932(QByteArray()), QString());
}
