// What an import may hold while it reads a hostile calendar host: the reply (cut at the page
// cap, however the host sends it), the table grid (only the columns the import reads), the
// releases (only as many as are kept) and the import program as a whole.
#include "import/calendarfetch.h"
#include "import/economicimport.h"
#include "import/htmltable.h"
#include "import/releaserows.h"
#include "profile.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <iostream>

#include "processmemory.h"

using namespace corvane;
using namespace corvane::test;

namespace {

struct Fetched {
    bool ok = false;
    QString reason;
    qint64 peakBytesHeld = 0;
};

Fetched fetch(const QUrl& url)
{
    CalendarFetch fetch;
    Fetched result;
    QEventLoop loop;
    QObject::connect(&fetch, &CalendarFetch::finished, &loop, [&](bool ok, const QString& reason) {
        result = {ok, reason, fetch.peakBytesHeld()};
        loop.quit();
    });
    fetch.start(url.toString());
    loop.exec();
    return result;
}

// 5 MB of rows whose first cell spans the worksheet's width.
QByteArray wideRowsPage()
{
    QByteArray page = "<html><body><table>";
    while (page.size() < 5'000'000)
        page += "<tr><td colspan=255></td><td>x</td></tr>";
    return page + "</table></body></html>";
}

} // namespace

TEST(ImportBounds, TheReplyIsCutAtThePageCapWhateverTheHostSends)
{
    TestHttpServer server;
    HttpRoute endless{200, "text/html"};
    endless.endlessChunked = true;
    server.route("/endless", endless);
    // 64 MiB of zeros unpack from a reply of 64 KiB.
    HttpRoute bomb{200, "text/html", qCompress(QByteArray(64 * kMiB, '\0'), 9).mid(4)};
    bomb.extraHeaders = "Content-Encoding: deflate\r\n";
    server.route("/bomb", bomb);

    const qint64 peakBefore = peakResidentBytes();
    for (const auto& [path, why] : {std::pair{"/endless", "大きすぎます"}, std::pair{"/bomb", "展開できません"}}) {
        SCOPED_TRACE(path);
        const Fetched result = fetch(server.url(path));
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.reason.contains(QString::fromUtf8(why))) << result.reason.toStdString();
        EXPECT_LE(result.peakBytesHeld, FetchLimits{}.maxBytes + kMiB);
    }
    EXPECT_LT(peakResidentBytes() - peakBefore, 64 * kMiB);
}

TEST(ImportBounds, WideRowsKeepOnlyTheColumnsTheImportReads)
{
    const QByteArray page = wideRowsPage();
    const std::optional<TableGrid> grid = readFirstTable(page, 4);
    ASSERT_TRUE(grid);
    qsizetype cells = 0;
    for (const auto& row : grid->rows)
        cells += row.size();
    EXPECT_LE(cells, 4 * qsizetype(grid->rows.size()));

    TempFolder folder;
    TestHttpServer server;
    server.route("/web/market/calendar/", {200, "text/html; charset=utf-8", page});
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    ASSERT_TRUE(profile::writeString(settings, QStringLiteral("経済指標"), QStringLiteral("URL"),
                                     server.url("/web/market/calendar/").toString()));
    const qint64 peakBefore = peakResidentBytes();
    QString reason;
    EXPECT_FALSE(ImportEconomicCalendar(settings, folder.file(QStringLiteral("経済指標.xls")), &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("公表予定がありません"))) << reason.toStdString();
    EXPECT_LT(peakResidentBytes() - peakBefore, 64 * kMiB);
}

namespace {

// Pages within the size cap built to be costly: many small cells, many releases.
QByteArray pageOf(const QByteArray& head, const QByteArray& unit, int count)
{
    return head + unit.repeated(count) + "</table>";
}

} // namespace

// The import program, as the runner starts it, on pages that are small but expensive to read.
TEST(ImportBounds, TheImportProgramStaysWithin64MiBOnAnyPageWithinTheCap)
{
    struct Case {
        const char* name;
        QByteArray page;
        int exitCode;
    };
    const Case cases[] = {
        // 500,000 cells in 3.6 MB: read as a document tree, some 200 MB.
        {"/cells", pageOf("<table>", "<tr><td>1<td>2<td>3<td>4", 125'000), 1},
        // 131,070 releases with names in 4.7 MB: twice as many as a workbook holds.
        {"/releases",
         pageOf("<table><tr><td>日</td></tr>", "<tr><td>1<td><td>08:00 指指指指指指<td>09:00ET 標標標標標標", 65'535),
         0},
    };
    TempFolder folder;
    TestHttpServer server;
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_LE(c.page.size(), FetchLimits{}.maxBytes);
        server.route(c.name, {200, "text/html; charset=utf-8", c.page});
        ASSERT_TRUE(profile::writeString(settings, QStringLiteral("経済指標"), QStringLiteral("URL"),
                                         server.url(c.name).toString()));
        // GNU time reads the program's peak as it ends (a forked child also counts the memory
        // it shared with this process before it started the program).
        const QString peakFile = folder.file(QStringLiteral("peak"));
        QProcess import;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), folder.path());
        import.setProcessEnvironment(environment);
        import.start(QStringLiteral("/usr/bin/time"),
                     {QStringLiteral("-f"), QStringLiteral("%M"), QStringLiteral("-o"), peakFile,
                      QStringLiteral(CORVANE_PROGRAMS_DIR "/corvane_import"), settings,
                      folder.file(QStringLiteral("経済指標.xls")), QStringLiteral("2026-12-07")});
        EXPECT_TRUE(QTest::qWaitFor([&] { return import.state() == QProcess::NotRunning; }, 120'000));
        EXPECT_EQ(import.exitCode(), c.exitCode) << import.readAllStandardOutput().toStdString();
        // The figure in KiB is the last line (after a line on a failed exit).
        const qint64 peak = readFileBytes(peakFile).trimmed().split('\n').last().toLongLong() * 1024;
        std::cout << c.name << ": the import program peaked at " << peak / 1024 << " KiB\n";
        EXPECT_GT(peak, 0);
        EXPECT_LT(peak, 64 * kMiB);
    }
}

// The releases converted are sorted and cut as they come, so a page of many holds no more than
// is kept.
TEST(ImportBounds, ConvertingReleasesHoldsLittleMoreThanTheReleasesKept)
{
    TableGrid grid;
    for (int r = 0; r < kGridMaxRows; ++r) {
        const QString day = QString::number(1 + r % 28);
        grid.rows.append({{GridCell::Kind::Number, day, double(1 + r % 28)},
                          {},
                          {GridCell::Kind::Text, QStringLiteral("08:00 指標%1").arg(r), 0},
                          {GridCell::Kind::Text, QStringLiteral("09:00ET 指標%1").arg(r), 0}});
    }
    ASSERT_TRUE(resetPeakResident());
    const qint64 peakBefore = peakResidentBytes();
    const CalendarConversion conversion = ConvertCalendarGrid(grid, {13, 8, 9}, QDate(2026, 12, 7));
    EXPECT_EQ(conversion.rows.size(), kMaxCalendarReleases);
    // 131,070 releases held at once take some 16 MiB; the 20,000 held here at most, about 5.
    EXPECT_LT(peakResidentBytes() - peakBefore, 8 * kMiB);
}
