// The settings file's speed: one key read from a 1,000-line file against one full parse of
// that file by a minimal INI parser, and a whole editor save (1,650 writes) as one
// transaction. Both sides read the file from disk on every iteration.
#include "profile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_map>

using namespace corvane;

namespace {

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// 11 categories × 30 entries in "時刻", "内容", "指定日" plus the general sections: about
// 1,000 lines, laid out as the editor writes them.
QString thousandLineFile()
{
    const QString path = folder().filePath(QStringLiteral("thousand.ini"));
    if (QFile::exists(path))
        return path;
    ProfileTransaction t(path);
    for (const char* section : {"指定日", "時刻", "内容"})
        for (int category = 0; category <= 10; ++category)
            for (int n = 0; n < 30; ++n)
                t.writeString(QString::fromUtf8(section), QStringLiteral("%1-%2").arg(category).arg(n),
                              QStringLiteral("会議室の予約を確認する %1").arg(n));
    for (int i = 0; i < 10; ++i) {
        t.writeString(QStringLiteral("略称登録"), QStringLiteral("略称%1").arg(i), QStringLiteral("略%1").arg(i));
        t.writeString(QStringLiteral("略称登録"), QStringLiteral("内容%1").arg(i),
                      QStringLiteral("略称の内容 %1").arg(i));
    }
    for (const char* key :
         {"色", "TOP", "LEFT", "HEIGHT", "WIDTH", "FNAME", "FSIZE", "FBOLD", "FITAL", "FUNDE", "FSTRI", "FCOLO"})
        t.writeString(QStringLiteral("表示フォーム"), QString::fromUtf8(key), QStringLiteral("1455"));
    t.writeString(QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("10"));
    t.writeString(QStringLiteral("サウンド"), QStringLiteral("音声SH2"), QStringLiteral("last key of the file"));
    t.commit();
    return path;
}

// The comparison: read the file, split it into lines, and store every key of every section
// in a hash map, as a small INI library would.
size_t minimalIniParse(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::unordered_map<std::string, std::string> values;
    std::string section;
    size_t pos = 0;
    const auto trim = [](std::string_view s) {
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
            s.remove_prefix(1);
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
            s.remove_suffix(1);
        return s;
    };
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = trim(std::string_view(text).substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            section.assign(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string key = section;
        key += '\0';
        key += trim(line.substr(0, eq));
        values.emplace(std::move(key), std::string(trim(line.substr(eq + 1))));
    }
    return values.size();
}

void BM_ReadOneKey_LastOfFile(benchmark::State& state)
{
    const QString path = thousandLineFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(profile::readString(path, QStringLiteral("サウンド"), QStringLiteral("音声SH2")));
}
BENCHMARK(BM_ReadOneKey_LastOfFile);

void BM_ReadOneKey_Middle(benchmark::State& state)
{
    const QString path = thousandLineFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(profile::readString(path, QStringLiteral("時刻"), QStringLiteral("5-15")));
}
BENCHMARK(BM_ReadOneKey_Middle);

void BM_MinimalIniParser_WholeFile(benchmark::State& state)
{
    const std::string path = QFile::encodeName(thousandLineFile()).toStdString();
    size_t keys = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(keys = minimalIniParse(path));
    state.counters["keys"] = double(keys);
}
BENCHMARK(BM_MinimalIniParser_WholeFile);

// A whole editor save: 11 categories × 50 entries × 3 sections over a full file.
void BM_EditorSave_1650WritesOneTransaction(benchmark::State& state)
{
    const QString path = folder().filePath(QStringLiteral("save.ini"));
    QFile::remove(path);
    int round = 0;
    for (auto _ : state) {
        ++round;
        ProfileTransaction t(path);
        for (int category = 0; category <= 10; ++category)
            for (int n = 0; n < 50; ++n) {
                const QString key = QStringLiteral("%1-%2").arg(category).arg(n);
                t.writeString(QStringLiteral("指定日"), key,
                              category == 2 ? QStringLiteral("2026/12/%1").arg(n % 28 + 1) : QString());
                t.writeString(QStringLiteral("時刻"), key,
                              QStringLiteral("%1:%2").arg(n % 24).arg(round % 60, 2, 10, QLatin1Char('0')));
                t.writeString(QStringLiteral("内容"), key,
                              QStringLiteral("予定の内容その%1（第%2版）").arg(n).arg(round));
            }
        if (!t.commit())
            state.SkipWithError("commit failed");
    }
}
BENCHMARK(BM_EditorSave_1650WritesOneTransaction)->Unit(benchmark::kMillisecond);

} // namespace
