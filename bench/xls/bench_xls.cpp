// The indicator workbook of 300 releases: writing it (layout, records, container, atomic
// replace on disk) and reading it back. Bars: 20 ms each.
#include "indicatorworkbook.h"
#include "xls/xlsreader.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QList<corvane::IndicatorRow> releases(int count)
{
    QList<corvane::IndicatorRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append({QDate(2026, 12, 1).addDays(i % 31), QTime((i * 7) % 24, (i * 13) % 60),
                     QStringLiteral("米消費者物価指数（CPI）前月比 %1").arg(i)});
    return rows;
}

void WriteIndicatorWorkbook300(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("経済指標.xls"));
    const auto rows = releases(300);
    for (auto _ : state) {
        if (!corvane::WriteIndicatorWorkbook(path, rows))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(WriteIndicatorWorkbook300)->Unit(benchmark::kMillisecond);

void ReadIndicatorWorkbook300(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("経済指標.xls"));
    corvane::WriteIndicatorWorkbook(path, releases(300));
    for (auto _ : state) {
        const auto rows = corvane::ReadIndicatorWorkbook(path);
        if (rows.size() != 300)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(ReadIndicatorWorkbook300)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
