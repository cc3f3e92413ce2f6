// What an import may hold while it reads a hostile calendar host: the reply (cut at the page
// cap, however the host sends it) and the table grid (only the columns the import reads).
#include "import/calendarfetch.h"
#include "import/economicimport.h"
#include "import/htmltable.h"
#include "profile.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

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
