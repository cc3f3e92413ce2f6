// The start-up refresh policy: when the runner rebuilds the indicator workbook.
#include "economicrefresh.h"

#include "clock.h"
#include "indicatorworkbook.h"
#include "profile.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvane;

TEST(EconomicRefreshPolicy, RebuildsOnlyWhenOnAndTheMonthNumberChanged)
{
    struct Case {
        const char* fetch;
        const char* builtOn;
        QDate today;
        bool due;
    };
    const Case cases[] = {
        {"", "", QDate(2025, 6, 1), false},            // feature off: key absent
        {"0", "", QDate(2025, 6, 1), false},           // feature off
        {"1 ", "", QDate(2025, 6, 1), false},          // exactly "1" only
        {"1", "", QDate(2025, 6, 1), true},            // never built
        {"1", "2025/5/31", QDate(2025, 6, 1), true},   // month changed
        {"1", "2025/6/2", QDate(2025, 6, 30), false},  // same month
        {"1", "2024/6/10", QDate(2025, 6, 3), false},  // same month number, year not compared
        {"1", "2025/12/31", QDate(2026, 1, 1), true},
        {"1", "2025/06/02", QDate(2025, 6, 30), false},
        {"1", "not a date", QDate(2025, 6, 3), true},  // unreadable counts as never built
        {"1", "2025/13/1", QDate(2025, 6, 3), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(economicRebuildDue(QString::fromUtf8(c.fetch), QString::fromUtf8(c.builtOn), c.today), c.due)
            << c.fetch << " | " << c.builtOn << " | " << c.today.toString(Qt::ISODate).toStdString();
}

namespace {

class EconomicRefresh : public ::testing::Test {
protected:
    EconomicRefresh()
    {
        server.route("/web/market/calendar/",
                     {200, "text/html",
                      test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/import/calendar_utf8.html"))});
        write("URL", server.url("/web/market/calendar/").toString());
    }
    void write(const char* key, const QString& value)
    {
        ASSERT_TRUE(profile::writeString(settings, QStringLiteral("経済指標"), QString::fromUtf8(key), value));
    }
    QString builtOn() const { return profile::readString(settings, QStringLiteral("経済指標"), QStringLiteral("作成日")); }

    test::TempFolder folder;
    test::TestHttpServer server;
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ScopedClock clock{[] { return QDateTime(QDate(2026, 11, 10), QTime(7, 0)); }};
};

} // namespace

TEST_F(EconomicRefresh, ImportsBesideTheSettingsFileWhenNeverBuilt)
{
    write("取得", "1");
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(builtOn(), "2026/11/10");
    EXPECT_EQ(ReadIndicatorWorkbook(workbook).size(), 11);
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);

    // Restarted later the same month: no second import.
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);
}

TEST_F(EconomicRefresh, DoesNothingWhenOffOrCurrent)
{
    EXPECT_EQ(CheckEconomicRefresh(settings), "");
    EXPECT_EQ(CheckEconomicRefresh(settings, "0"), "0") << "an absent key keeps the value held";
    write("取得", "0");
    EXPECT_EQ(CheckEconomicRefresh(settings, "1"), "0");
    EXPECT_EQ(CheckEconomicRefresh(settings), "0");
    write("取得", "1");
    write("作成日", "2025/11/28");  // another year, same month number
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 0);
    EXPECT_FALSE(QFile::exists(workbook)) << "a missing workbook with a current stamp is not rebuilt";
}

TEST_F(EconomicRefresh, AFailedImportKeepsTheStampAndTheStartUpGoesOn)
{
    write("取得", "1");
    write("作成日", "2026/10/31");
    write("URL", server.url("/missing").toString());
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(builtOn(), "2026/10/31");
    EXPECT_FALSE(QFile::exists(workbook));
}
