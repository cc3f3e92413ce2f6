// The viewer's lines from real settings files: alignment, the list's end, abbreviations.
#include <gtest/gtest.h>

#include "announcedlines.h"
#include "profile.h"
#include "tempfolder.h"
#include "viewerlines.h"

using namespace corvane;
using namespace corvane::controller;

namespace {

class ViewerLinesTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.file(QStringLiteral("corvane設定.ini")); }
    void put(const QString& section, const QString& key, const QString& value)
    {
        ASSERT_TRUE(profile::writeString(path(), section, key, value));
    }
    void today(int n, const QString& time, const QString& text)
    {
        put(QStringLiteral("本日の予定"), QStringLiteral("時刻%1").arg(n), time);
        put(QStringLiteral("本日の予定"), QStringLiteral("内容%1").arg(n), text);
    }
    void tomorrow(int n, const QString& time, const QString& text)
    {
        put(QStringLiteral("翌日の予定"), QStringLiteral("時刻%1").arg(n), time);
        put(QStringLiteral("翌日の予定"), QStringLiteral("内容%1").arg(n), text);
    }
    void abbreviation(int i, const QString& shortForm, const QString& fullText)
    {
        put(QStringLiteral("略称登録"), QStringLiteral("略称%1").arg(i), shortForm);
        put(QStringLiteral("略称登録"), QStringLiteral("内容%1").arg(i), fullText);
    }

    test::TempFolder m_folder;
    Abbreviations m_abbreviations;
};

TEST(ViewerLineFormat, FourCharacterTimesArePaddedSoTextsShareAColumn)
{
    EXPECT_EQ(formatViewerLine(QStringLiteral("9:30"), QStringLiteral("朝会")), QStringLiteral(" 9:30    朝会"));
    EXPECT_EQ(formatViewerLine(QStringLiteral("10:05"), QStringLiteral("定例")), QStringLiteral("10:05    定例"));
    // Times as typed (full width, blanks, a leading zero, seconds) in their normal form; what
    // is not a time as stored.
    EXPECT_EQ(formatViewerLine(QStringLiteral("9:30:00"), QStringLiteral("x")), QStringLiteral(" 9:30    x"));
    EXPECT_EQ(formatViewerLine(QStringLiteral("9:30:05"), QStringLiteral("x")), QStringLiteral("9:30:05    x"));
    EXPECT_EQ(formatViewerLine(QStringLiteral("09:30"), QString()), QStringLiteral(" 9:30    "));
    EXPECT_EQ(formatViewerLine(QStringLiteral("９：３０"), QStringLiteral("全角")), QStringLiteral(" 9:30    全角"));
    EXPECT_EQ(formatViewerLine(QStringLiteral(" 7:05 "), QStringLiteral("空白")), QStringLiteral(" 7:05    空白"));
    EXPECT_EQ(formatViewerLine(QStringLiteral("あさ"), QStringLiteral("?")), QStringLiteral("あさ    ?"));
}

TEST_F(ViewerLinesTest, TodayListInTheRunnersOrder)
{
    today(0, QStringLiteral("9:30"), QStringLiteral("朝会"));
    today(1, QStringLiteral("10:05"), QStringLiteral("定例会議"));

    const QStringList lines = buildViewerLines(path(), ViewerDay::Today, m_abbreviations);

    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral(" 9:30    朝会"));
    EXPECT_EQ(lines[1], QStringLiteral("10:05    定例会議"));
    EXPECT_EQ(lines[0].indexOf(QStringLiteral("朝会")), lines[1].indexOf(QStringLiteral("定例")));
}

TEST_F(ViewerLinesTest, ListEndsAtTheFirstMissingTime)
{
    today(0, QStringLiteral("9:00"), QStringLiteral("一"));
    today(2, QStringLiteral("11:00"), QStringLiteral("三"));
    put(QStringLiteral("本日の予定"), QStringLiteral("内容1"), QStringLiteral("時刻のない二"));

    const QList<DayListEntry> entries = readDayList(path(), ViewerDay::Today);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0], (DayListEntry{QStringLiteral("9:00"), QStringLiteral("一")}));
}

TEST_F(ViewerLinesTest, MissingFileOrSectionGivesAnEmptyList)
{
    EXPECT_TRUE(buildViewerLines(path(), ViewerDay::Today, m_abbreviations).isEmpty());
    today(0, QStringLiteral("9:00"), QStringLiteral("本日だけ"));
    EXPECT_TRUE(buildViewerLines(path(), ViewerDay::Tomorrow, m_abbreviations).isEmpty());
}

TEST_F(ViewerLinesTest, AbbreviationIsReplacedByItsFullText)
{
    abbreviation(3, QStringLiteral("MTG"), QStringLiteral("部内ミーティング"));
    today(0, QStringLiteral("13:00"), QStringLiteral("MTG"));
    today(1, QStringLiteral("14:00"), QStringLiteral("MTG会議")); // not equal as a whole
    today(2, QStringLiteral("15:00"), QStringLiteral("mtg"));     // case matters

    const QStringList lines = buildViewerLines(path(), ViewerDay::Today, m_abbreviations);

    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("13:00    部内ミーティング"));
    EXPECT_EQ(lines[1], QStringLiteral("14:00    MTG会議"));
    EXPECT_EQ(lines[2], QStringLiteral("15:00    mtg"));
    // One extra blank is enough to differ (the file itself trims blanks around values).
    EXPECT_EQ(m_abbreviations.expand(QStringLiteral("MTG ")), QStringLiteral("MTG "));
}

TEST_F(ViewerLinesTest, AbbreviationsChainInSlotOrderOnly)
{
    abbreviation(1, QStringLiteral("A"), QStringLiteral("B"));
    abbreviation(4, QStringLiteral("B"), QStringLiteral("最終"));
    abbreviation(6, QStringLiteral("C"), QStringLiteral("A")); // later slot: A is not expanded again
    today(0, QStringLiteral("9:00"), QStringLiteral("A"));
    today(1, QStringLiteral("9:10"), QStringLiteral("C"));

    const QStringList lines = buildViewerLines(path(), ViewerDay::Today, m_abbreviations);

    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral(" 9:00    最終"));
    EXPECT_EQ(lines[1], QStringLiteral(" 9:10    A"));
}

TEST_F(ViewerLinesTest, SlotWithEmptyAbbreviationFillsEmptyTexts)
{
    put(QStringLiteral("略称登録"), QStringLiteral("内容2"), QStringLiteral("（内容なし）"));
    today(0, QStringLiteral("9:00"), QString());
    today(1, QStringLiteral("9:05"), QStringLiteral("本文"));

    const QStringList lines = buildViewerLines(path(), ViewerDay::Today, m_abbreviations);

    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral(" 9:00    （内容なし）"));
    EXPECT_EQ(lines[1], QStringLiteral(" 9:05    本文"));
}

TEST_F(ViewerLinesTest, TomorrowUsesTheAbbreviationsOfTheLastToday)
{
    abbreviation(0, QStringLiteral("休"), QStringLiteral("休憩"));
    tomorrow(0, QStringLiteral("15:00"), QStringLiteral("休"));

    // Before any "本日" the slots are empty: nothing is replaced.
    EXPECT_EQ(buildViewerLines(path(), ViewerDay::Tomorrow, m_abbreviations),
              QStringList{QStringLiteral("15:00    休")});
    buildViewerLines(path(), ViewerDay::Today, m_abbreviations);
    EXPECT_EQ(buildViewerLines(path(), ViewerDay::Tomorrow, m_abbreviations),
              QStringList{QStringLiteral("15:00    休憩")});
}

TEST_F(ViewerLinesTest, EmptiedSlotKeepsItsLoadedValue)
{
    abbreviation(5, QStringLiteral("客"), QStringLiteral("来客対応"));
    loadAbbreviations(path(), m_abbreviations);
    abbreviation(5, QString(), QString());
    abbreviation(7, QStringLiteral("電"), QStringLiteral("電話"));
    loadAbbreviations(path(), m_abbreviations);

    EXPECT_EQ(m_abbreviations.shortForms[5], QStringLiteral("客"));
    EXPECT_EQ(m_abbreviations.fullTexts[5], QStringLiteral("来客対応"));
    EXPECT_EQ(m_abbreviations.shortForms[7], QStringLiteral("電"));
    EXPECT_EQ(m_abbreviations.expand(QStringLiteral("客")), QStringLiteral("来客対応"));
}

// "お知らせ済み": the runner's history of the day, as its file holds it.
TEST(AnnouncedLines, EachStateReadsAsInTheIssuedExamples)
{
    const struct {
        HistoryRecord record;
        const char* line;
    } rows[] = {
        {{QTime(9, 0), "定例会議", HistoryState::Shown, QTime(9, 0)}, "9:00 定例会議  9:00 表示"},
        {{QTime(13, 30), "来客", HistoryState::ShownLate, QTime(14, 10)}, "13:30 来客  14:10 遅れて表示"},
        {{QTime(15, 0), "報告", HistoryState::Snoozed, QTime(15, 10)}, "15:00 報告  再通知 15:10"},
        {{QTime(7, 0), "体操", HistoryState::Missed, QTime()}, "7:00 体操  見逃し"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatAnnouncedLine(row.record).toStdString(), std::string(row.line));
}

TEST(AnnouncedLines, TodaysFileInTimeOrderAsFarAsItCanBeRead)
{
    test::TempFolder folder;
    const QDate day(2026, 12, 7);
    EXPECT_TRUE(announcedLines(folder.path(), day).isEmpty()); // no history yet
    const QString name = QStringLiteral("announced-2026-12-07.txt");
    // In the order the runner recorded them, with a line that is no record among them.
    folder.writeBytes(name, "13:30\t遅れて表示\t14:10\t来客\n"
                            "9:00\t表示\t9:00\t定例会議\n"
                            "壊れた行\n"
                            "15:00\t再通知\t15:10\t報告\n"
                            "9:00\t表示\t9:00\t朝会\n"
                            "7:00\t見逃し\t\t体操\n");
    folder.writeBytes(QStringLiteral("announced-2026-12-06.txt"), "8:00\t表示\t8:00\t前の日\n");
    const QStringList lines = announcedLines(folder.path(), day);
    EXPECT_EQ(lines.join(u'|').toStdString(),
              "7:00 体操  見逃し|9:00 定例会議  9:00 表示|9:00 朝会  9:00 表示|13:30 来客  14:10 遅れて表示|"
              "15:00 報告  再通知 15:10");
    // A file grown huge is read only as far as any day's history reaches.
    folder.writeBytes(name, "9:00\t表示\t9:00\t" + QByteArray(kHistoryReadLimit, 'x') + "\n7:00\t表示\t7:00\t先\n");
    EXPECT_TRUE(announcedLines(folder.path(), day).isEmpty());
    // The limit falls in the second line: the first is shown whole.
    folder.writeBytes(name, "9:00\t表示\t9:00\t先\n9:30\t表示\t9:30\t" + QByteArray(kHistoryReadLimit, 'x') + "\n");
    EXPECT_EQ(announcedLines(folder.path(), day), QStringList{QStringLiteral("9:00 先  9:00 表示")});
}

} // namespace
