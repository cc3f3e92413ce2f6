// Converting the held settings texts into the window's look and the announcement's plan:
// defaults, the label's size rule, font size rounding, colour values and the fallbacks for
// values that do not convert.
#include <gtest/gtest.h>

#include "emptyfilesettings.h"
#include "reminderlook.h"

using namespace corvane;
using corvane::test::emptyFileSettings;

TEST(ReminderLook, EmptyDisplaySectionGivesTheDefaultWindow)
{
    const ReminderLook look = reminderLookFrom(emptyFileSettings());
    EXPECT_EQ(look.top, 0);
    EXPECT_EQ(look.left, 0);
    EXPECT_EQ(look.width, 2970);
    EXPECT_EQ(look.height, 1455);
    EXPECT_EQ(look.labelWidth, 2490);
    EXPECT_EQ(look.labelHeight, 1095);
    EXPECT_EQ(look.fontName, QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(look.fontPoints, 9);
    EXPECT_FALSE(look.bold || look.italic || look.underline || look.strikeout);
    EXPECT_TRUE(look.background.isSystem());
    EXPECT_EQ(look.background.systemIndex(), kButtonFaceIndex);
    EXPECT_TRUE(look.text.isSystem());
    EXPECT_EQ(look.text.systemIndex(), kButtonTextIndex);
}

TEST(ReminderLook, LabelKeepsItsDesignSizeInASmallWindow)
{
    DisplaySettings s = emptyFileSettings();
    s.width = QStringLiteral("400");
    s.height = QStringLiteral("360");
    ReminderLook look = reminderLookFrom(s);
    EXPECT_EQ(look.labelWidth, 825);
    EXPECT_EQ(look.labelHeight, 180);

    s.width = QStringLiteral("481");
    s.height = QStringLiteral("361");
    look = reminderLookFrom(s);
    EXPECT_EQ(look.labelWidth, 1);
    EXPECT_EQ(look.labelHeight, 1);
}

TEST(ReminderLook, PositionsAndSizesRoundHalvesToEven)
{
    DisplaySettings s = emptyFileSettings();
    s.top = QStringLiteral("1440.5");
    s.left = QStringLiteral("-720");
    s.width = QStringLiteral("4000.5");
    s.height = QStringLiteral("2001.5");
    const ReminderLook look = reminderLookFrom(s);
    EXPECT_EQ(look.top, 1440);
    EXPECT_EQ(look.left, -720);
    EXPECT_EQ(look.width, 4000);
    EXPECT_EQ(look.height, 2002);
    EXPECT_EQ(look.labelWidth, 3520);
    EXPECT_EQ(look.labelHeight, 1642);
}

TEST(ReminderLook, FontSizeRoundsHalvesToEven)
{
    DisplaySettings s = emptyFileSettings();
    const std::pair<const char*, int> cases[] = {{"10.5", 10}, {"11.5", 12}, {"9", 9}, {"12.25", 12},
                                                 {"", 9},      {"abc", 9},   {"0", 9}, {"-3", 9}};
    for (const auto& [text, points] : cases) {
        s.fontSize = QString::fromUtf8(text);
        EXPECT_EQ(reminderLookFrom(s).fontPoints, points) << text;
    }
}

TEST(ReminderLook, FontNameAndEffectsFollowTheirKeys)
{
    DisplaySettings s = emptyFileSettings();
    s.fontName = QStringLiteral("ＭＳ 明朝");
    s.bold = QStringLiteral("1");
    s.italic = QStringLiteral("0");
    s.underline = QStringLiteral("1");
    s.strikeout = QStringLiteral("true"); // only "1" is on
    const ReminderLook look = reminderLookFrom(s);
    EXPECT_EQ(look.fontName, QStringLiteral("ＭＳ 明朝"));
    EXPECT_TRUE(look.bold);
    EXPECT_FALSE(look.italic);
    EXPECT_TRUE(look.underline);
    EXPECT_FALSE(look.strikeout);
}

TEST(ReminderLook, ColoursFromColourrefAndSystemIndexes)
{
    DisplaySettings s = emptyFileSettings();
    s.colour = QStringLiteral("12648447");        // 0x00C0FFFF: light yellow
    s.textColour = QStringLiteral("-2147483640"); // 0x80000008: window text
    ReminderLook look = reminderLookFrom(s);
    EXPECT_FALSE(look.background.isSystem());
    EXPECT_EQ(look.background.red(), 0xFF);
    EXPECT_EQ(look.background.green(), 0xFF);
    EXPECT_EQ(look.background.blue(), 0xC0);
    EXPECT_TRUE(look.text.isSystem());
    EXPECT_EQ(look.text.systemIndex(), 8);

    s.colour = QStringLiteral("red");
    s.textColour = QStringLiteral("0x12");
    look = reminderLookFrom(s);
    EXPECT_EQ(look.background.raw, ColourValue::system(kButtonFaceIndex).raw);
    EXPECT_EQ(look.text.raw, ColourValue::system(kButtonTextIndex).raw);
}

TEST(ReminderLook, HandEditedGarbageFallsBackToTheDefaults)
{
    DisplaySettings s = emptyFileSettings();
    s.top = QStringLiteral("上");
    s.left = QString();
    s.height = QStringLiteral("99999999999");
    s.width = QStringLiteral("2147483647");
    const ReminderLook look = reminderLookFrom(s);
    EXPECT_EQ(look.top, 0);
    EXPECT_EQ(look.left, 0);
    EXPECT_EQ(look.height, 1455);
    EXPECT_EQ(look.width, 2147483647);
    EXPECT_EQ(look.labelWidth, 2147483647 - 480);
}

TEST(ReminderPlan, SoundAndSpeechFollowTheirFlags)
{
    DisplaySettings s = emptyFileSettings();
    s.soundRepeat = QStringLiteral("3");
    s.soundPath = QStringLiteral("/home/u/chime.wav");
    s.speechCommands = {QStringLiteral("say"), QString(), QStringLiteral("log")};
    ReminderPlan plan = reminderPlanFrom(s);
    EXPECT_EQ(plan.displaySeconds, 10);
    EXPECT_EQ(plan.soundRepetitions, 0); // "音" is not "1"
    EXPECT_FALSE(plan.speech);

    s.sound = QStringLiteral("1");
    s.speech = QStringLiteral("1");
    s.speechTextPath = QStringLiteral("/tmp/t.txt");
    plan = reminderPlanFrom(s);
    EXPECT_EQ(plan.soundRepetitions, 3);
    EXPECT_EQ(plan.soundPath, QStringLiteral("/home/u/chime.wav"));
    EXPECT_TRUE(plan.speech);
    EXPECT_EQ(plan.speechTextPath, QStringLiteral("/tmp/t.txt"));
    EXPECT_EQ(plan.speechCommands[2], QStringLiteral("log"));
}

TEST(ReminderPlan, UnconvertibleCountsFallBack)
{
    DisplaySettings s = emptyFileSettings();
    s.sound = QStringLiteral("1");
    const std::tuple<const char*, const char*, int, int> cases[] = {
        // display time, repetitions → seconds, repetitions
        {"", "", 10, 1}, {"abc", "x", 10, 1}, {"20", "2.5", 20, 2}, {"7.5", "-2", 8, 0}, {"100000", "0", 10, 0},
    };
    for (const auto& [display, repeat, seconds, repetitions] : cases) {
        s.displaySeconds = QString::fromUtf8(display);
        s.soundRepeat = QString::fromUtf8(repeat);
        const ReminderPlan plan = reminderPlanFrom(s);
        EXPECT_EQ(plan.displaySeconds, seconds) << display;
        EXPECT_EQ(plan.soundRepetitions, repetitions) << repeat;
    }
}

TEST(ReminderCaption, DateWeekdayAndTime)
{
    EXPECT_EQ(reminderCaption(QDateTime(QDate(2024, 5, 7), QTime(9, 5, 59))), QStringLiteral("  2024/5/7(火)  9:05"));
    EXPECT_EQ(reminderCaption(QDateTime(QDate(2026, 12, 13), QTime(0, 0))), QStringLiteral("  2026/12/13(日)  0:00"));
    EXPECT_EQ(reminderCaption(QDateTime(QDate(2026, 12, 12), QTime(23, 59, 58))),
              QStringLiteral("  2026/12/12(土)  23:59"));
}
