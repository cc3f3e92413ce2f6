// The writers of the three programs as real processes, side by side for many rounds: every
// entry a writer reported as registered is in the file exactly once afterwards, and a text
// editor saving the file in place never has its file cut short by a runner start.
// CORVANE_RACE_SECONDS sets how long each race runs (a few seconds by default; a minute for
// the figures). A text editor's saves between runner starts: CORVANE_EDITOR_SAVES saves per
// style (40 by default; 1000 for the figures, with CORVANE_EDITOR_SAVE_MS=250 and
// CORVANE_RUNNER_START_MS=400, as a user saving while the runner restarts).
#include "tempfolder.h"
#include "textcodec.h"

#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>

using corvane::test::TempFolder;

namespace {

int raceSeconds() { return qEnvironmentVariableIntValue("CORVANE_RACE_SECONDS") ?: 4; }

// Runs the writers at once and returns what each printed, one line each.
QStringList runTogether(const QList<QStringList>& commands, int timeoutMs = 120000)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QStringList& arguments : commands) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral(SETTINGS_WRITER), arguments);
        processes.push_back(std::move(process));
    }
    QStringList lines;
    for (auto& process : processes) {
        EXPECT_TRUE(process->waitForFinished(timeoutMs));
        EXPECT_EQ(process->exitCode(), 0) << qPrintable(process->arguments().join(u' '));
        lines += QString::fromUtf8(process->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    return lines;
}

} // namespace

TEST(SettingsRace, WritersSideBySideKeepEveryConfirmedEntryOnce)
{
    int rounds = 0, confirmed = 0, lost = 0, duplicated = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < raceSeconds() * 1000) {
        TempFolder folder;
        const QString file = folder.file(QStringLiteral("corvane設定.ini"));
        const QString n = QString::number(rounds);
        const QStringList registered = runTogether({
            {QStringLiteral("quick"), file, QStringLiteral("10"), QStringLiteral("Qa") + n},
            {QStringLiteral("quick"), file, QStringLiteral("10"), QStringLiteral("Qb") + n},
            {QStringLiteral("quick"), file, QStringLiteral("10"), QStringLiteral("Qc") + n},
            {QStringLiteral("editor"), file, QStringLiteral("10"), QStringLiteral("E") + n},
            {QStringLiteral("runner"), file, QStringLiteral("10")},
        });
        QHash<QString, int> stored;
        for (const QString& text : runTogether({{QStringLiteral("dump"), file}}))
            ++stored[text];
        for (const QString& text : registered) {
            lost += stored.value(text) == 0;
            duplicated += stored.value(text) > 1;
        }
        confirmed += int(registered.size());
        ++rounds;
    }
    std::printf("%d rounds, %d entries registered, %d lost, %d duplicated\n", rounds, confirmed, lost, duplicated);
    EXPECT_GT(confirmed, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(duplicated, 0);
}

TEST(SettingsRace, TextEditorSavingInPlaceNeverHasItsFileCutByARunnerStart)
{
    // Every-day entries give the runner lists to write; Sunday's fifty entries come last, so
    // a half-written file lacks "9-49".
    QString text = QStringLiteral("[時刻]\r\n0-0=9:00\r\n0-1=12:00\r\n");
    for (int i = 0; i < 50; ++i)
        text += QStringLiteral("9-%1=%2:00\r\n").arg(i).arg(i % 24);
    text += QStringLiteral("[内容]\r\n0-0=朝\r\n0-1=昼\r\n");
    for (int i = 0; i < 50; ++i)
        text += QStringLiteral("9-%1=日曜の予定 %1 ").arg(i) + QString(40, u'あ') + QStringLiteral("\r\n");
    TempFolder folder;
    const QString file = folder.file(QStringLiteral("corvane設定.ini"));
    folder.writeBytes(QStringLiteral("corvane設定.ini"), text.toUtf8().prepend("\xEF\xBB\xBF"));

    int rounds = 0, truncated = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < raceSeconds() * 1000) {
        const QStringList reports =
            runTogether({{QStringLiteral("handedit"), file, QStringLiteral("300")},
                         {QStringLiteral("runner"), file, QStringLiteral("40"), QStringLiteral("watch")}});
        truncated += int(reports.count(QStringLiteral("truncated")));
        ++rounds;
    }
    std::printf("%d rounds of 40 runner starts against 300 in-place saves: %d cut short\n", rounds, truncated);
    EXPECT_EQ(truncated, 0);
}

TEST(SettingsRace, TextEditorSavesBetweenRunnerStartsAreNeverLost)
{
    const int saves = qEnvironmentVariableIntValue("CORVANE_EDITOR_SAVES") ?: 40;
    const int saveMs = qEnvironmentVariableIntValue("CORVANE_EDITOR_SAVE_MS") ?: 120;
    const int startMs = qEnvironmentVariableIntValue("CORVANE_RUNNER_START_MS") ?: 50;
    for (const QString& style : {QStringLiteral("inplace"), QStringLiteral("rename")}) {
        TempFolder folder;
        const QString file = folder.file(QStringLiteral("corvane設定.ini"));
        folder.writeBytes(QStringLiteral("corvane設定.ini"),
                          corvane::toCp932(QStringLiteral("[時刻]\r\n0-0=9:00\r\n[内容]\r\n0-0=朝会\r\n")));
        const QStringList reports =
            runTogether({{QStringLiteral("usersave"), file, QString::number(saves), style, QString::number(saveMs)},
                         {QStringLiteral("runner"), file, QString::number(saves * saveMs / startMs),
                          QStringLiteral("every"), QString::number(startMs)}},
                        saves * saveMs + 120000);
        // The last save is checked once both have ended.
        const bool lastKept = runTogether({{QStringLiteral("saved"), file}}) == QStringList{QString::number(saves - 1)};
        const int lost = int(reports.count(QStringLiteral("lost"))) + (lastKept ? 0 : 1);
        std::printf("%s saves: %d of %d lost\n", qPrintable(style), lost, saves);
        EXPECT_EQ(lost, 0) << qPrintable(style);
    }
}
