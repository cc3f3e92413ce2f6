// Editor figures with a full settings file (11 × 50 entries): loading the store, the whole
// entry window start (load, build, show), and "登録完了" up to the runner restart (capture and
// the one-transaction save).
#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "appfonts.h"
#include "editorsession.h"
#include "entrystore.h"
#include "entrywindow.h"
#include "scheduleworkbook.h"
#include "settingspath.h"

using namespace corvane;
using namespace corvane::editor;

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

void fillStore(EntryStore& store)
{
    for (int c = 0; c < kCategoryCount; ++c) {
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            store.setEntryDate(c, n, c == Dated ? QStringLiteral("2099/1/%1").arg(n % 28 + 1) : categoryCaption(c));
            store.setEntryTime(c, n, QStringLiteral("%1:%2").arg(23 - n % 24).arg(n % 60, 2, 10, QLatin1Char('0')));
            store.setEntryText(c, n, QStringLiteral("会議室Ａで定例の打ち合わせ %1").arg(n));
        }
    }
}

void writeFullFile()
{
    EntryStore store;
    fillStore(store);
    store.SaveEntries(SettingsPath());
}

void BM_LoadEntries(benchmark::State& state)
{
    writeFullFile();
    EntryStore store;
    for (auto _ : state)
        store.LoadEntries(SettingsPath());
}
BENCHMARK(BM_LoadEntries)->Unit(benchmark::kMillisecond);

void BM_StartEntryWindow(benchmark::State& state)
{
    writeFullFile();
    for (auto _ : state) {
        EditorSession session;
        session.start();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(session.entryWindow()->isVisible());
    }
}
BENCHMARK(BM_StartEntryWindow)->Unit(benchmark::kMillisecond);

void BM_FinishUpToRestart(benchmark::State& state)
{
    writeFullFile();
    EditorSession session;
    session.start();
    fillStore(session.entries());
    for (auto _ : state) {
        session.entryWindow()->CapturePage();
        benchmark::DoNotOptimize(session.entries().SaveEntries(SettingsPath()).ok());
    }
}
BENCHMARK(BM_FinishUpToRestart)->Unit(benchmark::kMillisecond);

// All categories full: 8 blocks of up to 150 rows and 50 dated rows.
void BM_CreateScheduleWorkbook(benchmark::State& state)
{
    writeFullFile();
    const QString workbook = folder().filePath(QStringLiteral("corvane予定表.xls"));
    for (auto _ : state)
        benchmark::DoNotOptimize(CreateScheduleWorkbook(SettingsPath(), workbook));
}
BENCHMARK(BM_CreateScheduleWorkbook)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyUiFont();
    setProgramsFolderOverride(folder().path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
