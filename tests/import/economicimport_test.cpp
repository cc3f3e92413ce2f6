// ImportEconomicCalendar against a real HTTP server on 127.0.0.1: pages in three charsets,
// redirects, and every way a fetch can fail. A failure must leave the previous workbook and
// "作成日" exactly as they were.
#include "import/economicimport.h"

#include "clock.h"
#include "profile.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::HttpRoute;
using corvane::test::TempFolder;
using corvane::test::TestHttpServer;

namespace {

const QByteArray kCalendarPath = "/web/market/calendar/";
const QString kSection = QStringLiteral("経済指標");

QByteArray fixture(const char* name)
{
    return test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/import/") + QString::fromUtf8(name));
}

IndicatorRow row(int m, int d, int h, int min, const char* name)
{
    return {QDate(2026, m, d), QTime(h, min), QString::fromUtf8(name)};
}

// The test calendar read on 2026/11/10 with ET 14, CET 8, GMT 9.
const QList<IndicatorRow> kExpectedRows = {
    row(11, 2, 8, 50, "7-9月期GDP速報値"),
    row(11, 2, 10, 30, "日銀短観"),
    row(11, 3, 0, 0, "ISM製造業景況指数"),
    row(11, 3, 15, 0, "ドイツIfo景況感指数"),
    row(11, 3, 21, 30, "全国消費者物価指数"),
    row(11, 3, 22, 15, "ADP雇用統計"),
    row(11, 10, 14, 0, "景気ウォッチャー調査～現状判断"),
    row(11, 10, 18, 30, "英国GDP"),
    row(11, 11, 10, 0, "時差の分からない指標"),
    row(11, 11, 13, 0, "機械受注 （船舶・電力を除く）"),
    row(12, 1, 12, 0, "米中古住宅販売件数"),
};

class EconomicImport : public ::testing::Test {
protected:
    EconomicImport()
    {
        write("時差", "ET", "14");
        write("時差", "CET", "8");
        write("時差", "GMT", "9");
        server.route(kCalendarPath, HttpRoute{200, "text/html", fixture("calendar_utf8.html")});
    }

    void write(const char* section, const char* key, const QString& value)
    {
        ASSERT_TRUE(profile::writeString(settings, QString::fromUtf8(section), QString::fromUtf8(key), value));
    }
    QString read(const char* key) const { return profile::readString(settings, kSection, QString::fromUtf8(key)); }
    void pointAt(const QByteArray& path) { write("経済指標", "URL", server.url(path).toString()); }

    bool import(QString* reason, FetchLimits limits = {})
    {
        return ImportEconomicCalendar(settings, workbook, reason, limits);
    }

    // A workbook and stamp from an earlier month, to be kept by a failing import.
    void givePreviousImport()
    {
        ASSERT_TRUE(WriteIndicatorWorkbook(workbook, {IndicatorRow{QDate(2026, 10, 5), QTime(8, 50), "前月"}}));
        write("経済指標", "作成日", "2026/10/5");
        previousWorkbook = test::readFileBytes(workbook);
        ASSERT_FALSE(previousWorkbook.isEmpty());
    }
    void expectPreviousImportKept()
    {
        EXPECT_EQ(test::readFileBytes(workbook), previousWorkbook) << "the workbook must not change";
        EXPECT_EQ(read("作成日"), "2026/10/5");
    }

    TempFolder folder;
    TestHttpServer server;
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ScopedClock clock{[] { return QDateTime(QDate(2026, 11, 10), QTime(7, 30)); }};
    QByteArray previousWorkbook;
};

} // namespace

TEST_F(EconomicImport, BuildsTheWorkbookFromAUtf8PageAndStampsToday)
{
    givePreviousImport();
    pointAt(kCalendarPath);
    QString reason;
    ASSERT_TRUE(import(&reason)) << reason.toStdString();
    EXPECT_EQ(ReadIndicatorWorkbook(workbook), kExpectedRows);
    EXPECT_EQ(read("作成日"), "2026/11/10");
}

TEST_F(EconomicImport, ReadsShiftJisByItsMetaTagAndEucJpByTheHeader)
{
    server.route("/sjis", HttpRoute{200, "text/html", fixture("calendar_sjis.html")});
    server.route("/euc", HttpRoute{200, "text/html; charset=EUC-JP", fixture("calendar_eucjp.html")});
    QString reason;
    pointAt("/sjis");
    ASSERT_TRUE(import(&reason)) << reason.toStdString();
    EXPECT_EQ(ReadIndicatorWorkbook(workbook), kExpectedRows);

    pointAt("/euc");
    ASSERT_TRUE(import(&reason)) << reason.toStdString();
    QList<IndicatorRow> expected = kExpectedRows;
    expected[6].name = QStringLiteral("景気ウォッチャー調査・現状判断");
    EXPECT_EQ(ReadIndicatorWorkbook(workbook), expected);
}

TEST_F(EconomicImport, FollowsUpToFiveRedirects)
{
    for (int i = 1; i <= 6; ++i) {
        const QByteArray next = i == 6 ? kCalendarPath : "/hop" + QByteArray::number(i + 1);
        server.route("/hop" + QByteArray::number(i), HttpRoute{302, "text/html", {}, next});
    }
    QString reason;
    pointAt("/hop2"); // five redirects
    EXPECT_TRUE(import(&reason)) << reason.toStdString();
    EXPECT_EQ(read("作成日"), "2026/11/10");
}

struct FailureCase {
    const char* name;
    std::function<void(TestHttpServer&)> setUp;
    QByteArray path;
    const char* reasonPart;
};

class EconomicImportFailure : public EconomicImport, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(EconomicImportFailure, KeepsThePreviousWorkbookAndStampAndSaysWhy)
{
    givePreviousImport();
    GetParam().setUp(server);
    pointAt(GetParam().path);
    QString reason;
    FetchLimits limits;
    limits.timeoutMs = 1500;
    EXPECT_FALSE(import(&reason, limits));
    EXPECT_TRUE(reason.startsWith(u"経済指標カレンダー")) << reason.toStdString();
    EXPECT_TRUE(reason.contains(QString::fromUtf8(GetParam().reasonPart))) << reason.toStdString();
    expectPreviousImportKept();
}

namespace {
void none(TestHttpServer&) {}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Pages, EconomicImportFailure,
    ::testing::Values(
        FailureCase{"NotFound", none, "/missing", "HTTP 404"},
        FailureCase{"ServerError",
                    [](TestHttpServer& s) {
                        s.route("/boom", {500, "text/html", "oops"});
                    },
                    "/boom", "HTTP 500"},
        FailureCase{"RedirectLoop",
                    [](TestHttpServer& s) {
                        s.route("/a", {302, "text/html", {}, "/b"});
                        s.route("/b", {302, "text/html", {}, "/a"});
                    },
                    "/a", "転送が多すぎます"},
        FailureCase{"SixRedirects",
                    [](TestHttpServer& s) {
                        for (int i = 1; i <= 6; ++i)
                            s.route("/r" + QByteArray::number(i),
                                    {302, "text/html", {}, i == 6 ? kCalendarPath : "/r" + QByteArray::number(i + 1)});
                    },
                    "/r1", "転送が多すぎます"},
        FailureCase{"SlowBody",
                    [](TestHttpServer& s) {
                        HttpRoute slow{200, "text/html", fixture("calendar_utf8.html")};
                        slow.chunkDelayMs = 200;
                        slow.chunkSize = 64;
                        s.route("/slow", slow);
                    },
                    "/slow", "秒以内に受信が終わりませんでした"},
        FailureCase{"TooLargeAnnounced",
                    [](TestHttpServer& s) {
                        HttpRoute big{200, "text/html"};
                        big.endlessBytes = 5 * 1024 * 1024 + 1;
                        s.route("/big", big);
                    },
                    "/big", "大きすぎます"},
        FailureCase{"TooLargeUnannounced",
                    [](TestHttpServer& s) {
                        HttpRoute big{200, "text/html"};
                        big.endlessBytes = 5 * 1024 * 1024 + 1;
                        big.sendContentLength = false;
                        s.route("/stream", big);
                    },
                    "/stream", "大きすぎます"},
        FailureCase{"NoTable",
                    [](TestHttpServer& s) {
                        s.route("/plain", {200, "text/html", fixture("no_table.html")});
                    },
                    "/plain", "表がありません"},
        FailureCase{"FirstTableIsNoCalendar",
                    [](TestHttpServer& s) {
                        s.route("/menu", {200, "text/html", fixture("not_calendar.html")});
                    },
                    "/menu", "最初の表に公表予定がありません"},
        FailureCase{"NestedBeyondTheParsersDepth",
                    [](TestHttpServer& s) {
                        s.route("/deep",
                                {200, "text/html", "<html><body>" + QByteArray("<table><tr><td>").repeated(300) + "x"});
                    },
                    "/deep", "入れ子が256段を超える"},
        FailureCase{"EmptyBody",
                    [](TestHttpServer& s) {
                        s.route("/empty", {200, "text/html", ""});
                    },
                    "/empty", "表がありません"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(EconomicImport, AddressProblemsFailBeforeAnyRequest)
{
    givePreviousImport();
    QString reason;
    EXPECT_FALSE(import(&reason));
    EXPECT_EQ(reason, "経済指標カレンダーのURLが設定されていません");
    expectPreviousImportKept();

    write("経済指標", "URL", "ftp://127.0.0.1/web/market/calendar/");
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"http または https")) << reason.toStdString();

    write("経済指標", "URL", "file:///etc/passwd");
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"http または https")) << reason.toStdString();

    write("経済指標", "URL", "https://");
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"アドレスとして読めません")) << reason.toStdString();
    expectPreviousImportKept();
}

TEST_F(EconomicImport, AnAddressWithoutSchemeIsFetchedOverTlsOnly)
{
    givePreviousImport();
    // The test server speaks plain HTTP: the secure attempt must fail, never fall back.
    write("経済指標", "URL", QStringLiteral("127.0.0.1:%1/web/market/calendar/").arg(server.url("/").port()));
    QString reason;
    FetchLimits limits;
    limits.timeoutMs = 5000;
    EXPECT_FALSE(import(&reason, limits));
    EXPECT_TRUE(reason.startsWith(u"経済指標カレンダーを取得できませんでした")) << reason.toStdString();
    EXPECT_EQ(server.requestCount(kCalendarPath), 0);
    expectPreviousImportKept();
}

TEST_F(EconomicImport, AnUntrustedCertificateIsRefused)
{
    // A real HTTPS server in its own process, with a self-signed certificate nobody trusts.
    QProcess openssl;
    openssl.setWorkingDirectory(folder.path());
    openssl.start(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem",
                                              "-out", "cert.pem", "-days", "2", "-subj", "/CN=127.0.0.1"});
    ASSERT_TRUE(openssl.waitForFinished(30000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("site/web/market/calendar")));
    folder.writeBytes(QStringLiteral("site/web/market/calendar/index.html"), fixture("calendar_utf8.html"));

    QProcess https;
    https.setWorkingDirectory(folder.path() + QStringLiteral("/site"));
    https.start(QStringLiteral(CORVANE_PYTHON), {QStringLiteral("-u"), QStringLiteral("-c"), QStringLiteral(R"(
import http.server, ssl
server = http.server.HTTPServer(('127.0.0.1', 0), http.server.SimpleHTTPRequestHandler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain('../cert.pem', '../key.pem')
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)")});
    ASSERT_TRUE(https.waitForReadyRead(30000)) << https.readAllStandardError().toStdString();
    const int port = https.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);

    givePreviousImport();
    write("経済指標", "URL", QStringLiteral("https://127.0.0.1:%1/web/market/calendar/").arg(port));
    QString reason;
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"証明書を確認できません")) << reason.toStdString();
    expectPreviousImportKept();
    https.kill();
    https.waitForFinished();
}

TEST_F(EconomicImport, ARefusedConnectionIsReported)
{
    givePreviousImport();
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    write("経済指標", "URL", QStringLiteral("http://127.0.0.1:%1/web/market/calendar/").arg(port));
    QString reason;
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"接続できません")) << reason.toStdString();
    expectPreviousImportKept();
}

TEST_F(EconomicImport, AWorkbookThatCannotBeSavedLeavesTheStamp)
{
    write("経済指標", "作成日", "2026/10/5");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("経済指標.xls"))); // in the way of the file
    pointAt(kCalendarPath);
    QString reason;
    EXPECT_FALSE(import(&reason));
    EXPECT_TRUE(reason.contains(u"経済指標.xlsを保存できませんでした")) << reason.toStdString();
    EXPECT_EQ(read("作成日"), "2026/10/5");
}

TEST_F(EconomicImport, BadTimeDifferencesCountAsZero)
{
    write("時差", "ET", "abc");
    write("時差", "CET", "");
    write("時差", "GMT", "8.5"); // halves to even: 8
    const TimeDifferences d = readTimeDifferences(settings);
    EXPECT_EQ(d.et, 0);
    EXPECT_EQ(d.cet, 0);
    EXPECT_EQ(d.gmt, 8);
}

TEST_F(EconomicImport, TheAsynchronousFormKeepsTheEventLoopRunning)
{
    HttpRoute slow{200, "text/html", fixture("calendar_utf8.html")};
    slow.chunkDelayMs = 20;
    slow.chunkSize = 256;
    server.route("/slow", slow);
    pointAt("/slow");

    EconomicCalendarImport job(settings, workbook);
    QSignalSpy done(&job, &EconomicCalendarImport::finished);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    job.start();
    EXPECT_TRUE(job.isRunning());
    ASSERT_TRUE(done.wait(10000));
    EXPECT_EQ(done.size(), 1);
    EXPECT_TRUE(done.first().at(0).toBool()) << done.first().at(1).toString().toStdString();
    EXPECT_GT(ticks, 5) << "other events ran while the page was arriving";
    EXPECT_FALSE(job.isRunning());
    EXPECT_EQ(job.rowCount(), kExpectedRows.size());
    EXPECT_EQ(read("作成日"), "2026/11/10");
}

TEST_F(EconomicImport, TheSavedWorkbookReadsBackInAnIndependentReader)
{
    pointAt(kCalendarPath);
    QString reason;
    ASSERT_TRUE(import(&reason)) << reason.toStdString();
    QProcess python;
    python.start(QStringLiteral(CORVANE_PYTHON), {QStringLiteral("-c"), QStringLiteral(R"(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
sheet = book.sheet_by_name('経済指標')
for r in range(1, sheet.nrows):
    d = xlrd.xldate_as_tuple(sheet.cell_value(r, 0), book.datemode)
    t = xlrd.xldate_as_tuple(sheet.cell_value(r, 1), book.datemode)
    print('%d/%d/%d %d:%02d %s' % (d[0], d[1], d[2], t[3], t[4], sheet.cell_value(r, 2)))
)"),
                                                  workbook});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), kExpectedRows.size());
    EXPECT_EQ(lines.first(), "2026/11/2 8:50 7-9月期GDP速報値");
    EXPECT_EQ(lines.last(), "2026/12/1 12:00 米中古住宅販売件数");
}
