// The controller's own share of its start: building ControllerWindow (controls, the runner lookup) and
// showing it until exposed, and filling the viewer from a full day list. Offscreen, so the X
// server's share is left out (controller_bench.py measures the whole start).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "appfonts.h"
#include "controllerwindow.h"
#include "profile.h"
#include "settingspath.h"
#include "viewerlines.h"

using namespace corvane;
using namespace corvane::controller;

namespace {

void BM_ControllerWindowShownAndExposed(benchmark::State& state)
{
    for (auto _ : state) {
        ControllerWindow form;
        form.show();
        benchmark::DoNotOptimize(QTest::qWaitForWindowExposed(&form));
    }
}
BENCHMARK(BM_ControllerWindowShownAndExposed)->Unit(benchmark::kMillisecond);

void BM_ViewerLinesOfAFullDay(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("corvane設定.ini"));
    ProfileTransaction file(path);
    for (int n = 0; n < 200; ++n) {
        file.writeString(QStringLiteral("本日の予定"), QStringLiteral("時刻%1").arg(n),
                         QStringLiteral("9:%1").arg(n % 60, 2, 10, QChar(u'0')));
        file.writeString(QStringLiteral("本日の予定"), QStringLiteral("内容%1").arg(n),
                         QStringLiteral("予定%1").arg(n));
    }
    for (int i = 0; i < 10; ++i) {
        file.writeString(QStringLiteral("略称登録"), QStringLiteral("略称%1").arg(i), QStringLiteral("略%1").arg(i));
        file.writeString(QStringLiteral("略称登録"), QStringLiteral("内容%1").arg(i), QStringLiteral("全文%1").arg(i));
    }
    file.commit();
    Abbreviations abbreviations;
    for (auto _ : state)
        benchmark::DoNotOptimize(buildViewerLines(path, ViewerDay::Today, abbreviations));
}
BENCHMARK(BM_ViewerLinesOfAFullDay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QApplication app(argc, argv);
    applyUiFont();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
