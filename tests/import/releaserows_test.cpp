// Calendar grid → release rows: fill-down, domestic and foreign cells, the date and time rules.
#include "import/releaserows.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

// A grid from rows of up to four cells (day, weekday, domestic, foreign); "" is empty.
TableGrid gridOf(std::initializer_list<std::initializer_list<const char*>> rows)
{
    TableGrid g;
    for (const auto& r : rows) {
        QList<GridCell> cells;
        for (const char* t : r) {
            GridCell cell;
            const QString s = QString::fromUtf8(t);
            bool isNumber = false;
            const double n = s.toDouble(&isNumber);
            if (!s.isEmpty()) {
                cell.kind = isNumber ? GridCell::Kind::Number : GridCell::Kind::Text;
                cell.text = s;
                cell.number = isNumber ? n : 0;
            }
            cells.append(cell);
        }
        g.rows.append(cells);
    }
    return g;
}

const TableGrid kHeading = gridOf({{"日付", "曜日", "国内", "海外"}});

TableGrid withHeading(std::initializer_list<std::initializer_list<const char*>> rows)
{
    TableGrid g = gridOf(rows);
    g.rows.prepend(kHeading.rows.first());
    return g;
}

IndicatorRow row(int y, int m, int d, int h, int min, const char* name)
{
    return {QDate(y, m, d), QTime(h, min), QString::fromUtf8(name)};
}

const QDate kToday(2025, 6, 12); // June has 30 days

} // namespace

TEST(ReleaseRows, EmptyDayCellsTakeTheDayOfTheRowAbove)
{
    const auto result = ConvertCalendarGrid(
        withHeading({{"5", "木", "08:50 a", ""}, {"", "", "09:00 b", ""}, {"", "", "10:00 c", ""}}), {}, kToday);
    EXPECT_EQ(result.rows, (QList<IndicatorRow>{row(2025, 6, 5, 8, 50, "a"), row(2025, 6, 5, 9, 0, "b"),
                                                row(2025, 6, 5, 10, 0, "c")}));
    EXPECT_TRUE(result.droppedReasons.isEmpty());
}

TEST(ReleaseRows, TheFirstRowLendsItsDayButHoldsNoRelease)
{
    // Row 1 is read only as the day that an empty day cell of row 2 copies.
    const auto result = ConvertCalendarGrid(
        gridOf({{"7", "", "08:00 not read", "08:00ET not read"}, {"", "", "21:30 b", ""}}), {}, kToday);
    EXPECT_EQ(result.rows, QList<IndicatorRow>{row(2025, 6, 7, 21, 30, "b")});
}

TEST(ReleaseRows, DomesticTimesAreKeptAndForeignTimesShiftedByTheirZone)
{
    const TimeDifferences differences{13, 0, 9};
    const auto result = ConvertCalendarGrid(withHeading({
                                                {"5", "", "21:30 国内指標", "08:30ET 米国指標"},
                                                {"6", "", "", "07:45CET 独指標"},
                                                {"7", "", "", "06:00GMT 英指標"},
                                            }),
                                            differences, kToday);
    EXPECT_EQ(result.rows,
              (QList<IndicatorRow>{row(2025, 6, 5, 21, 30, "国内指標"), row(2025, 6, 5, 21, 30, "米国指標"),
                                   row(2025, 6, 6, 7, 45, "独指標"), row(2025, 6, 7, 15, 0, "英指標")}));
}

TEST(ReleaseRows, AShiftPastMidnightMovesTheReleaseToTheNextDayAcrossMonthAndYearEnds)
{
    const auto june = ConvertCalendarGrid(withHeading({{"30", "", "", "22:00ET 月末"}}), {14, 0, 0}, kToday);
    EXPECT_EQ(june.rows, QList<IndicatorRow>{row(2025, 7, 1, 12, 0, "月末")});

    const auto december =
        ConvertCalendarGrid(withHeading({{"31", "", "", "23:30GMT 年末"}}), {0, 0, 9}, QDate(2025, 12, 3));
    EXPECT_EQ(december.rows, QList<IndicatorRow>{row(2026, 1, 1, 8, 30, "年末")});

    // Exactly midnight belongs to the next day; 24 hours is the same time a day later.
    const auto edges = ConvertCalendarGrid(withHeading({{"10", "", "", "10:00ET a"}, {"11", "", "", "00:00CET b"}}),
                                           {14, 24, 0}, kToday);
    EXPECT_EQ(edges.rows, (QList<IndicatorRow>{row(2025, 6, 11, 0, 0, "a"), row(2025, 6, 12, 0, 0, "b")}));
}

TEST(ReleaseRows, ZeroDifferenceAndUnknownMarkersKeepTheTime)
{
    const auto result = ConvertCalendarGrid(withHeading({{"3", "", "", "09:00CET a"},
                                                         {"4", "", "", "09:00JST b"},
                                                         {"5", "", "", "09:00 c"},
                                                         {"6", "", "", "23:00PT d"}}),
                                            {5, 0, 5}, kToday);
    EXPECT_EQ(result.rows, (QList<IndicatorRow>{row(2025, 6, 3, 9, 0, "a"), row(2025, 6, 4, 9, 0, "b"),
                                                row(2025, 6, 5, 9, 0, "c"), row(2025, 6, 6, 23, 0, "d")}));
    // One note per unknown marker, however often it comes; none for the known ones.
    const auto again = ConvertCalendarGrid(withHeading({{"3", "", "", "09:00CET a"},
                                                        {"4", "", "", "09:00JST b"},
                                                        {"5", "", "", "10:00JST e"},
                                                        {"7", "", "", "08:30 ET f"}}),
                                           {5, 0, 5}, kToday);
    ASSERT_EQ(again.notes.size(), 2) << again.notes.join(u'\n').toStdString();
    EXPECT_TRUE(again.notes[0].contains(QStringLiteral("「JS」"))) << again.notes[0].toStdString();
    EXPECT_TRUE(again.notes[1].contains(QStringLiteral("「 E」"))) << again.notes[1].toStdString();
}

TEST(ReleaseRows, CellsWhoseThirdCharacterIsNoColonHoldNoRelease)
{
    const auto result = ConvertCalendarGrid(withHeading({{"3", "", "国内", "海外"},
                                                         {"", "", "", ""},
                                                         {"", "", "9:30 一桁", "9:30ET 一桁"},
                                                         {"", "", "未定", "21時"}}),
                                            {}, kToday);
    EXPECT_TRUE(result.rows.isEmpty());
    EXPECT_EQ(result.releaseCells, 0);
    EXPECT_TRUE(result.droppedReasons.isEmpty()) << "skipped silently, as no release";
}

TEST(ReleaseRows, ANameIsTheTextAfterTheFirstBlank)
{
    const auto result = ConvertCalendarGrid(
        withHeading({{"3", "", "08:50", "08:50ET"}, {"4", "", "10:00 a b  c", "10:00ET(速報) x"}}), {}, kToday);
    EXPECT_EQ(result.rows, (QList<IndicatorRow>{row(2025, 6, 3, 8, 50, "08:50"), row(2025, 6, 3, 8, 50, "08:50ET"),
                                                row(2025, 6, 4, 10, 0, "a b  c"), row(2025, 6, 4, 10, 0, "x")}));
}

TEST(ReleaseRows, ReleasesWithoutAValidDateOrTimeAreDroppedWithAReason)
{
    const auto result = ConvertCalendarGrid(gridOf({{"", "", "", ""}, // row 1 has no day: row 2 inherits none
                                                    {"", "", "08:50 no day", ""},
                                                    {"31", "", "08:50 June 31", ""},
                                                    {"第2週", "", "", ""},
                                                    {"", "", "", "10:00ET after heading"},
                                                    {"5日", "", "09:00 text day", ""},
                                                    {"2.5", "", "09:00 fraction", ""},
                                                    {"0", "", "09:00 zero", ""},
                                                    {"8", "", "25:00 bad hour", "ab:cdET bad"},
                                                    {"9", "", "09:00 kept", ""}}),
                                            {}, kToday);
    EXPECT_EQ(result.rows, QList<IndicatorRow>{row(2025, 6, 9, 9, 0, "kept")});
    EXPECT_EQ(result.releaseCells, 9);
    ASSERT_EQ(result.droppedReasons.size(), 8);
    EXPECT_TRUE(result.droppedReasons[0].contains("2行目")) << result.droppedReasons[0].toStdString();
    EXPECT_TRUE(result.droppedReasons[1].contains("6月に31日はありません")) << result.droppedReasons[1].toStdString();
    EXPECT_TRUE(result.droppedReasons.join('\n').contains("「第2週」は日ではありません"));
    EXPECT_TRUE(result.droppedReasons.join('\n').contains("時刻が読めません"));
}

TEST(ReleaseRows, RowsAreSortedByDateThenTimeWithDomesticFirstOnTies)
{
    const auto result =
        ConvertCalendarGrid(withHeading({{"20", "", "09:00 late domestic", "00:00ET shifted"},
                                         {"3", "", "21:30 same time domestic", "08:30ET same time foreign"},
                                         {"", "", "08:00 early", ""}}),
                            {13, 0, 0}, kToday);
    EXPECT_EQ(result.rows,
              (QList<IndicatorRow>{row(2025, 6, 3, 8, 0, "early"), row(2025, 6, 3, 21, 30, "same time domestic"),
                                   row(2025, 6, 3, 21, 30, "same time foreign"),
                                   row(2025, 6, 20, 9, 0, "late domestic"), row(2025, 6, 20, 13, 0, "shifted")}));
}

TEST(ReleaseRows, NegativeDifferencesMoveBackAcrossMidnight)
{
    // The editor accepts 0..24, but a hand-edited file may hold less: the date follows the time.
    const auto result = ConvertCalendarGrid(withHeading({{"1", "", "", "02:00ET early"}}), {-5, 0, 0}, kToday);
    EXPECT_EQ(result.rows, QList<IndicatorRow>{row(2025, 5, 31, 21, 0, "early")});
}

namespace {
GridCell textCell(const QString& text) { return {GridCell::Kind::Text, text, 0}; }
GridCell dayCell(int day) { return {GridCell::Kind::Number, QString::number(day), double(day)}; }
} // namespace

// A page far beyond any month's calendar: the earliest releases are kept, as one sort of them
// all orders them, and what is left out is said in a bounded number of lines.
TEST(ReleaseRows, AnEndlessPageKeepsTheEarliestReleasesAndFewLogLines)
{
    // Days falling down the table, so that the earliest come last, and three times a day, so
    // that many releases share a date and time and must keep their table order.
    TableGrid many = kHeading;
    QList<IndicatorRow> all;
    const int count = 2 * kMaxCalendarReleases + 5001;
    for (int i = 0; i < count; ++i) {
        const int day = 28 - i * 28 / count;
        const QTime time(8 + i % 3, 0);
        const QString name = QString::number(i);
        many.rows.append({dayCell(day), {}, textCell(time.toString(u"hh:mm ") + name)});
        all.append({QDate(2025, 6, day), time, name});
    }
    std::stable_sort(all.begin(), all.end(), [](const IndicatorRow& a, const IndicatorRow& b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    });
    const auto cut = ConvertCalendarGrid(many, {}, kToday);
    EXPECT_EQ(cut.rows, all.first(kMaxCalendarReleases));
    ASSERT_EQ(cut.notes.size(), 1);
    EXPECT_TRUE(cut.notes[0].contains(u"10000件を超える")) << cut.notes[0].toStdString();
    EXPECT_TRUE(cut.notes[0].contains(u"残りの15001件")) << cut.notes[0].toStdString();

    // As many releases as are kept, and 150 rows whose time cannot be read.
    TableGrid unreadable = kHeading;
    for (int i = 0; i < kMaxCalendarReleases; ++i)
        unreadable.rows.append({dayCell(1 + i % 28), {}, textCell(QStringLiteral("09:00 x"))});
    for (int i = 0; i < 150; ++i)
        unreadable.rows.append({dayCell(3), {}, textCell(QStringLiteral("ab:cd y"))});
    const auto dropped = ConvertCalendarGrid(unreadable, {}, kToday);
    EXPECT_EQ(dropped.rows.size(), kMaxCalendarReleases);
    EXPECT_TRUE(dropped.notes.isEmpty()) << dropped.notes.join(u'\n').toStdString();
    ASSERT_EQ(dropped.droppedReasons.size(), kMaxDroppedReasons + 1);
    EXPECT_TRUE(dropped.droppedReasons.last().contains(u"ほか50件")) << dropped.droppedReasons.last().toStdString();

    // Foreign releases with 15 unknown zone markers, the first of them once more at the end.
    TableGrid markers = kHeading;
    for (int i = 0; i <= 15; ++i)
        markers.rows.append(
            {dayCell(3), {}, {}, textCell(QStringLiteral("09:00%1 z").arg(QChar(u'A' + i % 15), 2, u'Q'))});
    const auto noted = ConvertCalendarGrid(markers, {}, kToday);
    EXPECT_EQ(noted.rows.size(), 16);
    ASSERT_EQ(noted.notes.size(), kMaxUnknownMarkerNotes + 1) << noted.notes.join(u'\n').toStdString();
    EXPECT_TRUE(noted.notes.last().contains(u"5件")) << noted.notes.last().toStdString();
}
