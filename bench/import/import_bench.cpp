// A 300-release calendar page (Shift_JIS, as such pages often are): libxml2 parsing it alone,
// against the whole import without the network (charset, first-table grid, conversion,
// workbook written to disk).
#include "import/htmltable.h"
#include "import/pagecharset.h"
#include "import/releaserows.h"
#include "indicatorworkbook.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

using namespace corvane;

namespace {

// 30 days of 10 rows; each row a domestic and, on every other row, a foreign release.
QByteArray calendarPage(int days = 30, int rowsPerDay = 10)
{
    QString html =
        QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
                       "<title>経済指標カレンダー</title></head><body><div class=\"nav\">マーケット</div>"
                       "<table class=\"calendar\"><tr><th>日付</th><th>曜日</th><th>国内</th><th>海外</th></tr>\n");
    static const char16_t* const zones[] = {u"ET", u"CET", u"GMT"};
    for (int d = 1; d <= days; ++d) {
        for (int r = 0; r < rowsPerDay; ++r) {
            html += QStringLiteral("<tr>");
            if (r == 0)
                html += QStringLiteral("<td rowspan=\"%1\">%2</td><td rowspan=\"%1\">月</td>").arg(rowsPerDay).arg(d);
            html += QStringLiteral("<td>%1:%2 国内指標%3-%4（前月比）</td>")
                        .arg(8 + r, 2, 10, QLatin1Char('0'))
                        .arg(r * 5, 2, 10, QLatin1Char('0'))
                        .arg(d)
                        .arg(r);
            if (r % 2 == 0)
                html += QStringLiteral("<td>%1:30%2 海外指標%3-%4<br>速報値</td>")
                            .arg(7 + r, 2, 10, QLatin1Char('0'))
                            .arg(QString::fromUtf16(zones[r % 3]))
                            .arg(d)
                            .arg(r);
            else
                html += QStringLiteral("<td>&nbsp;</td>");
            html += QStringLiteral("</tr>\n");
        }
    }
    html += QStringLiteral("</table></body></html>\n");
    return toCp932(html);
}

const QByteArray& page()
{
    static const QByteArray bytes = calendarPage();
    return bytes;
}

const TimeDifferences kDifferences{14, 8, 9};
const QDate kToday(2026, 11, 10);

// The baseline: libxml2 reading the page as fetched, finding its charset and converting it
// itself, building the document tree.
void BM_LibxmlParseOnly(benchmark::State& state)
{
    const int options =
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | HTML_PARSE_COMPACT;
    for (auto _ : state) {
        xmlDoc* doc = htmlReadMemory(page().constData(), int(page().size()), nullptr, nullptr, options);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    state.counters["page_bytes"] = double(page().size());
}
BENCHMARK(BM_LibxmlParseOnly)->Unit(benchmark::kMillisecond);

// The same parse on the page already in UTF-8 (no charset conversion).
void BM_LibxmlParseUtf8(benchmark::State& state)
{
    const QByteArray utf8 = pageToUtf8(page(), "text/html");
    for (auto _ : state)
        parseHtmlOnly(utf8);
}
BENCHMARK(BM_LibxmlParseUtf8)->Unit(benchmark::kMillisecond);

void BM_PageToRows(benchmark::State& state)
{
    size_t rows = 0;
    for (auto _ : state) {
        const std::optional<TableGrid> grid = readFirstTable(pageToUtf8(page(), "text/html"));
        rows = size_t(ConvertCalendarGrid(*grid, kDifferences, kToday).rows.size());
        benchmark::DoNotOptimize(rows);
    }
    state.counters["releases"] = double(rows);
}
BENCHMARK(BM_PageToRows)->Unit(benchmark::kMillisecond);

void BM_PageToWorkbook(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("経済指標.xls"));
    for (auto _ : state) {
        const std::optional<TableGrid> grid = readFirstTable(pageToUtf8(page(), "text/html"));
        CalendarConversion conversion = ConvertCalendarGrid(*grid, kDifferences, kToday);
        if (!WriteIndicatorWorkbook(path, std::move(conversion.rows)))
            state.SkipWithError("workbook not written");
    }
}
BENCHMARK(BM_PageToWorkbook)->Unit(benchmark::kMillisecond);

// The writer's share of the whole: the same rows, already converted.
void BM_WorkbookOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("経済指標.xls"));
    const QList<IndicatorRow> rows =
        ConvertCalendarGrid(*readFirstTable(pageToUtf8(page(), "text/html")), kDifferences, kToday).rows;
    for (auto _ : state) {
        if (!WriteIndicatorWorkbook(path, rows))
            state.SkipWithError("workbook not written");
    }
}
BENCHMARK(BM_WorkbookOnly)->Unit(benchmark::kMillisecond);

} // namespace
