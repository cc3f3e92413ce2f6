// The schedule workbook as an independent reader (python3-xlrd) sees it: the fixed heading,
// the eight day blocks with their sort and borders, the dated box, rebuilds, and the busy and
// missing-file answers.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <gtest/gtest.h>

#include "profile.h"
#include "scheduleworkbook.h"
#include "tempfolder.h"
#include "urlrecorder.h"
#include "workbookfiles.h"
#include "workbookview.h"
#include "xls/xlswriter.h"

using namespace corvane;
using namespace corvane::editor;

namespace {

constexpr int kThin = 1;
constexpr int kHair = 7;

struct Reading {
    QJsonObject book;
    std::map<std::pair<int, int>, QJsonObject> cells;
    QJsonObject cell(int row, int col) const
    {
        const auto it = cells.find({row, col});
        return it == cells.end() ? QJsonObject() : it->second;
    }
    QString text(int row, int col) const { return cell(row, col).value(u"value").toString(); }
    int rows() const { return book.value(u"rows").toInt(); }
};

class ScheduleWorkbookTest : public ::testing::Test {
protected:
    QString settings() const { return m_folder.file(QStringLiteral("corvane設定.ini")); }
    QString workbook() const { return m_folder.file(QStringLiteral("corvane予定表.xls")); }
    void entry(const QString& key, const QString& time, const QString& text, const QString& date = {})
    {
        if (!date.isEmpty()) {
            ASSERT_TRUE(profile::writeString(settings(), QStringLiteral("指定日"), key, date));
        }
        ASSERT_TRUE(profile::writeString(settings(), QStringLiteral("時刻"), key, time));
        ASSERT_TRUE(profile::writeString(settings(), QStringLiteral("内容"), key, text));
    }
    Reading build()
    {
        EXPECT_EQ(CreateScheduleWorkbook(settings(), workbook()), QString());
        return read();
    }
    Reading read()
    {
        QProcess python;
        python.start(QStringLiteral(CORVANE_PYTHON),
                     {QStringLiteral(CORVANE_TESTS_DIR "/editor/dump_workbook.py"), workbook()});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        Reading reading;
        reading.book = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
        for (const QJsonValue& v : reading.book.value(u"cells").toArray()) {
            const QJsonObject c = v.toObject();
            reading.cells[{c.value(u"row").toInt(), c.value(u"col").toInt()}] = c;
        }
        return reading;
    }
    static std::array<int, 4> borders(const QJsonObject& cell)
    {
        return {cell.value(u"left").toInt(), cell.value(u"right").toInt(), cell.value(u"top").toInt(),
                cell.value(u"bottom").toInt()};
    }

    test::TempFolder m_folder;
};

const QStringList kDays = {QStringLiteral("月曜日"), QStringLiteral("火曜日"), QStringLiteral("水曜日"),
                           QStringLiteral("木曜日"), QStringLiteral("金曜日"), QStringLiteral("土曜日"),
                           QStringLiteral("日曜日"), QStringLiteral("祝日")};

TEST_F(ScheduleWorkbookTest, EmptyScheduleHasTheHeadingEightOneRowBoxesAndTheDatedBox)
{
    const Reading r = build();
    EXPECT_EQ(r.book.value(u"sheets").toArray().first().toString(), QStringLiteral("表示予定"));
    EXPECT_EQ(r.rows(), 10);
    EXPECT_EQ(r.text(0, 0), QStringLiteral("corvane 表示予定"));
    EXPECT_EQ(r.text(1, 0), QStringLiteral("定例分"));
    EXPECT_EQ(r.text(1, 3), QStringLiteral("指定日分"));
    const QJsonArray merges = r.book.value(u"merges").toArray();
    EXPECT_TRUE(merges.contains(QJsonArray{0, 1, 0, 6}));
    EXPECT_TRUE(merges.contains(QJsonArray{1, 2, 0, 3}));
    EXPECT_TRUE(merges.contains(QJsonArray{1, 2, 3, 6}));
    // xlrd reports the file's colour numbers: ColorIndex + 7.
    EXPECT_EQ(r.cell(0, 5).value(u"fill").toInt(), 35 + 7);
    EXPECT_EQ(r.cell(1, 2).value(u"fill").toInt(), 36 + 7);
    EXPECT_EQ(r.cell(1, 5).value(u"fill").toInt(), 34 + 7);
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(borders(r.cell(0, col)), (std::array{kThin, kThin, kThin, kThin}));
        EXPECT_EQ(r.cell(1, col).value(u"align").toInt(), 2);
    }
    EXPECT_TRUE(r.book.value(u"frozen").toBool());
    EXPECT_EQ(r.book.value(u"split").toInt(), 2);
    const QJsonObject widths = r.book.value(u"widths").toObject();
    EXPECT_EQ(widths.value(u"0").toInt(), xls::columnWidthUnits(8.5));
    EXPECT_EQ(widths.value(u"2").toInt(), xls::columnWidthUnits(50));
    EXPECT_EQ(widths.value(u"3").toInt(), xls::columnWidthUnits(16));

    for (int i = 0; i < 8; ++i) {
        const int row = 2 + i;
        EXPECT_EQ(r.text(row, 0), kDays[i]);
        EXPECT_EQ(borders(r.cell(row, 0)), (std::array{kThin, 0, kThin, kThin})) << row;
        EXPECT_EQ(borders(r.cell(row, 1)), (std::array{0, 0, kThin, kThin})) << row;
        EXPECT_EQ(borders(r.cell(row, 2)), (std::array{0, kThin, kThin, kThin})) << row;
    }
    EXPECT_EQ(borders(r.cell(2, 3)), (std::array{kThin, 0, kThin, kHair}));
    EXPECT_EQ(borders(r.cell(5, 4)), (std::array{0, 0, kHair, kHair}));
    EXPECT_EQ(borders(r.cell(9, 5)), (std::array{0, kThin, kHair, kThin}));
}

TEST_F(ScheduleWorkbookTest, EveryDayAndWeekdayEntriesJoinTheirDaysSortedUnderTheLabel)
{
    entry(QStringLiteral("0-0"), QStringLiteral("12:00"), QStringLiteral("昼"));
    entry(QStringLiteral("1-0"), QStringLiteral("9:00"), QStringLiteral("朝"));
    entry(QStringLiteral("3-0"), QStringLiteral("7:00"), QStringLiteral("早出"));
    const Reading r = build();
    int noon = 0, morning = 0;
    for (int row = 2; row < r.rows(); ++row) {
        noon += r.text(row, 2) == QStringLiteral("昼");
        morning += r.text(row, 2) == QStringLiteral("朝");
    }
    EXPECT_EQ(noon, 8);
    EXPECT_EQ(morning, 5);

    // Monday: 7:00 sorts first; the label stays on the block's first row.
    EXPECT_EQ(r.text(2, 0), QStringLiteral("月曜日"));
    EXPECT_EQ(r.text(2, 2), QStringLiteral("早出"));
    EXPECT_EQ(r.cell(2, 1).value(u"value").toArray(), (QJsonArray{0, 0, 0, 7, 0, 0}));
    EXPECT_EQ(r.cell(2, 1).value(u"format").toString(), QStringLiteral("h:mm"));
    EXPECT_EQ(r.text(3, 2), QStringLiteral("朝"));
    EXPECT_EQ(r.text(4, 2), QStringLiteral("昼"));
    EXPECT_EQ(r.text(5, 0), QStringLiteral("火曜日"));
    // A three-row block: hairlines inside, none across the label column.
    EXPECT_EQ(borders(r.cell(3, 0)), (std::array{kThin, kHair, 0, 0}));
    EXPECT_EQ(borders(r.cell(3, 1)), (std::array{kHair, kHair, kHair, kHair}));
    EXPECT_EQ(borders(r.cell(4, 2)), (std::array{kHair, kThin, kHair, kThin}));

    // Saturday, Sunday and holidays: the every-day entry only.
    const int saturday = 2 + 3 + 2 * 4;
    EXPECT_EQ(r.text(saturday, 0), QStringLiteral("土曜日"));
    EXPECT_EQ(r.text(saturday, 2), QStringLiteral("昼"));
    EXPECT_EQ(r.text(saturday + 2, 0), QStringLiteral("祝日"));
    EXPECT_EQ(r.rows(), saturday + 3);
}

TEST_F(ScheduleWorkbookTest, DatedEntriesKeepTheirStoredOrderAndFormats)
{
    entry(QStringLiteral("2-0"), QStringLiteral("8:00"), QStringLiteral("二日"), QStringLiteral("2099/1/2"));
    entry(QStringLiteral("2-1"), QStringLiteral("9:30"), QStringLiteral("一日"), QStringLiteral("2099/1/1"));
    const Reading r = build();
    EXPECT_EQ(r.cell(2, 3).value(u"value").toArray(), (QJsonArray{2099, 1, 2, 0, 0, 0}));
    EXPECT_EQ(r.cell(2, 3).value(u"format").toString(), xls::kDateWithWeekdayFormat);
    EXPECT_EQ(r.text(2, 5), QStringLiteral("二日"));
    EXPECT_EQ(r.cell(3, 4).value(u"value").toArray(), (QJsonArray{0, 0, 0, 9, 30, 0}));
    EXPECT_EQ(r.text(3, 5), QStringLiteral("一日"));
    EXPECT_EQ(r.cell(3, 4).value(u"format").toString(), QStringLiteral("h:mm"));
}

TEST_F(ScheduleWorkbookTest, ARebuildLeavesNothingOfTheOldOneAndLongTextsAreCut)
{
    for (int n = 0; n < 30; ++n)
        entry(QStringLiteral("4-%1").arg(n), QStringLiteral("10:%1").arg(n, 2, 10, QLatin1Char('0')),
              QStringLiteral("火"));
    EXPECT_EQ(build().rows(), 10 + 29);

    for (int n = 0; n < 30; ++n)
        ASSERT_TRUE(profile::deleteKey(settings(), QStringLiteral("時刻"), QStringLiteral("4-%1").arg(n)));
    entry(QStringLiteral("0-0"), QStringLiteral("9:00"), QString(150, QChar(u'長')));
    const Reading r = build();
    EXPECT_EQ(r.rows(), 10);
    EXPECT_EQ(r.text(2, 2), QString(127, QChar(u'長')));
}

TEST_F(ScheduleWorkbookTest, AnOpenWorkbookIsNeitherRebuiltNorViewedAgain)
{
    build();
    const QByteArray before = test::readFileBytes(workbook());
    QFile lock(workbookLockFile(workbook()));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    entry(QStringLiteral("0-0"), QStringLiteral("9:00"), QStringLiteral("新しい"));
    EXPECT_EQ(CreateScheduleWorkbook(settings(), workbook()),
              QStringLiteral("ファイルを閉じてから再度作成ボタンを押してください"));
    EXPECT_EQ(test::readFileBytes(workbook()), before);
    EXPECT_EQ(viewWorkbook(workbook()), QStringLiteral("表示中です"));
    EXPECT_EQ(viewWorkbook(m_folder.file(QStringLiteral("無い.xls"))), QStringLiteral("ファイルがありません"));
}

// "閲覧" hands the workbook to the desktop's default application and does not wait for it; when
// the desktop has nothing to open it with, the user is told.
TEST_F(ScheduleWorkbookTest, ViewingHandsTheWorkbookToTheDesktop)
{
    build();
    {
        test::UrlRecorder desktop;
        EXPECT_EQ(viewWorkbook(workbook()), QString());
        EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(workbook())});
    }
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_folder.path())); // no desktop opener to be found
    EXPECT_TRUE(viewWorkbook(workbook()).startsWith(QStringLiteral("ファイルを開けませんでした")));
    qputenv("PATH", path);
}

} // namespace
