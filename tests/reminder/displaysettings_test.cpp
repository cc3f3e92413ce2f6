// Reading the display, sound and speech settings from a real settings file: defaults held as
// text for empty keys, values held exactly as stored, and the abbreviation step in its place.
#include <gtest/gtest.h>

#include "displaysettings.h"
#include "profile.h"
#include "tempfolder.h"
#include "textcodec.h"

using namespace corvane;
using corvane::test::TempFolder;

TEST(DisplaySettingsFile, MissingFileHoldsTheDefaults)
{
    TempFolder folder;
    int expanded = 0;
    const DisplaySettings s = readDisplaySettings(folder.file(QStringLiteral("corvane設定.ini")), [&] { ++expanded; });
    EXPECT_EQ(expanded, 1);
    EXPECT_EQ(s.displaySeconds, QString());
    EXPECT_EQ(s.advanceMinutes, QStringLiteral("0"));
    EXPECT_EQ(s.advance(), 0);
    EXPECT_EQ(s.lateLimit(), 60);
    EXPECT_EQ(s.colour, QStringLiteral("-2147483633")); // 0x8000000F, button face
    EXPECT_EQ(s.top, QStringLiteral("0"));
    EXPECT_EQ(s.left, QStringLiteral("0"));
    EXPECT_EQ(s.height, QStringLiteral("1455"));
    EXPECT_EQ(s.width, QStringLiteral("2970"));
    EXPECT_TRUE(s.fontName.isEmpty() && s.fontSize.isEmpty() && s.textColour.isEmpty());
    EXPECT_TRUE(s.sound.isEmpty() && s.soundRepeat.isEmpty() && s.speech.isEmpty());
    for (const QString& command : s.speechCommands)
        EXPECT_TRUE(command.isEmpty());
}

TEST(DisplaySettingsFile, EveryKeyIsHeldAsStored)
{
    TempFolder folder;
    const QString text =
        QStringLiteral("[表示]\r\n時間=15\r\n[事前表示]\r\n時間=5\r\n"
                       "[表示フォーム]\r\n色=12648447\r\nTOP=1440\r\nLEFT=720.5\r\nHEIGHT=2000\r\nWIDTH=4000\r\n"
                       "FNAME=ＭＳ ゴシック\r\nFSIZE=10.5\r\nFBOLD=1\r\nFITAL=0\r\nFUNDE=1\r\nFSTRI=0\r\n"
                       "FCOLO=255\r\n"
                       "[サウンド]\r\n音=1\r\n音パス=/home/利用者/音/チャイム.wav\r\n音回数=3\r\n音声=1\r\n"
                       "音声TXT=/tmp/読み上げ.txt\r\n音声SH0=/usr/bin/say \"a b\"\r\n音声SH2=/usr/bin/log\r\n");
    folder.writeBytes(QStringLiteral("corvane設定.ini"), toCp932(text));
    const DisplaySettings s = readDisplaySettings(folder.file(QStringLiteral("corvane設定.ini")));
    EXPECT_EQ(s.displaySeconds, QStringLiteral("15"));
    EXPECT_EQ(s.advance(), 5);
    EXPECT_EQ(s.colour, QStringLiteral("12648447"));
    EXPECT_EQ(s.top, QStringLiteral("1440"));
    EXPECT_EQ(s.left, QStringLiteral("720.5"));
    EXPECT_EQ(s.height, QStringLiteral("2000"));
    EXPECT_EQ(s.width, QStringLiteral("4000"));
    EXPECT_EQ(s.fontName, QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(s.fontSize, QStringLiteral("10.5"));
    EXPECT_EQ(s.bold, QStringLiteral("1"));
    EXPECT_EQ(s.italic, QStringLiteral("0"));
    EXPECT_EQ(s.underline, QStringLiteral("1"));
    EXPECT_EQ(s.strikeout, QStringLiteral("0"));
    EXPECT_EQ(s.textColour, QStringLiteral("255"));
    EXPECT_EQ(s.sound, QStringLiteral("1"));
    EXPECT_EQ(s.soundPath, QStringLiteral("/home/利用者/音/チャイム.wav"));
    EXPECT_EQ(s.soundRepeat, QStringLiteral("3"));
    EXPECT_EQ(s.speech, QStringLiteral("1"));
    EXPECT_EQ(s.speechTextPath, QStringLiteral("/tmp/読み上げ.txt"));
    EXPECT_EQ(s.speechCommands[0], QStringLiteral("/usr/bin/say \"a b\""));
    EXPECT_EQ(s.speechCommands[1], QString());
    EXPECT_EQ(s.speechCommands[2], QStringLiteral("/usr/bin/log"));
}

TEST(DisplaySettingsFile, GarbageAdvanceCountsAsNoAdvance)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("corvane設定.ini"));
    ASSERT_TRUE(profile::writeString(path, QStringLiteral("事前表示"), QStringLiteral("時間"), QStringLiteral("五分")));
    const DisplaySettings s = readDisplaySettings(path);
    EXPECT_EQ(s.advanceMinutes, QStringLiteral("五分"));
    EXPECT_EQ(s.advance(), 0);
}

TEST(DisplaySettingsFile, LatenessLimitIsAWholeNumberOfZeroOrMore)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("corvane設定.ini"));
    const struct {
        const char16_t* stored;
        int minutes;
    } rows[] = {{u"0", 0}, {u"15", 15}, {u"２０", 20}, {u"-5", 60}, {u"一時間", 60}, {u"99999", 60}};
    for (const auto& row : rows) {
        ASSERT_TRUE(profile::writeString(path, QStringLiteral("事前表示"), QStringLiteral("遅延上限"),
                                         QString::fromUtf16(row.stored)));
        EXPECT_EQ(readDisplaySettings(path).lateLimit(), row.minutes) << QString::fromUtf16(row.stored).toStdString();
    }
}
