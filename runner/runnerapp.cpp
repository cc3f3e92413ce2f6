#include "runnerapp.h"

#include "announcer.h"
#include "calendarimportprocess.h"
#include "clock.h"
#include "economicrefresh.h"
#include "freedmemory.h"
#include "indicatorread.h"
#include "log.h"
#include "profile.h"
#include "runnercontrol.h"
#include "secondticker.h"
#include "settingspath.h"
#include "singleinstance.h"
#include "statefolder.h"
#include "terminationsignals.h"

#include <QFileInfo>

namespace corvane {

RunnerApp::RunnerApp(AnnouncerFactory makeAnnouncer, QObject* parent)
    : QObject(parent), m_makeAnnouncer(std::move(makeAnnouncer))
{
}

RunnerApp::~RunnerApp() = default;

bool RunnerApp::Main()
{
    // What comes due from here on is announced, on time or late, however long start-up takes.
    m_missed.noteStart(Clock::now());
    m_instance = std::make_unique<SingleInstance>(QString::fromUtf16(kRunnerProgramName));
    if (!m_instance->tryAcquire()) {
        logLine(QStringLiteral("corvane_110はすでに実行中です。この起動は終了します"));
        return false;
    }

    // Findable (and closable once the event loop runs) from the start, even while a long
    // indicator import holds up the rest of start-up.
    m_control = std::make_unique<RunnerControlServer>();
    connect(m_control.get(), &RunnerControlServer::closeRequested, this, &RunnerApp::onCloseRequested);
    m_control->listen();
    // Logout, kill and Ctrl+C end the runner as a close request does, from the start.
    m_signals = std::make_unique<TerminationSignals>();
    connect(m_signals.get(), &TerminationSignals::received, this, &RunnerApp::onTerminationSignal);

    m_history = std::make_unique<DayHistory>(runnerStateFolder());
    m_snoozes = std::make_unique<PendingSnoozes>(runnerStateFolder() + QStringLiteral("/snoozes.txt"), m_history.get());
    m_snoozes->load(Clock::today());
    m_missed.setHistory(m_history.get());

    m_settingsPath = SettingsPath();
    prepareDay();
    if (m_closed)
        return true;

    m_ticker = std::make_unique<SecondTicker>();
    connect(m_ticker.get(), &SecondTicker::tick, this, &RunnerApp::tick);
    m_ticker->start();
    // The log shows from when announcements were watched for, and with what lists; tests and
    // benchmarks take this line as the moment the timer is armed.
    logLine(QStringLiteral("常駐を開始しました（本日の予定 %1件、翌日の予定 %2件）")
                .arg(m_schedule.today().size())
                .arg(m_schedule.tomorrow().size()));
    return true;
}

void RunnerApp::prepareDay()
{
    m_preparing = true;
    // One read of the file answers every start-up key, so the lists and settings come from one
    // state of it; an import writes the file, and then it is read once more.
    auto file = std::make_unique<ProfileTransaction>(m_settingsPath);
    bool imported = false;
    m_economicFetch = CheckEconomicRefresh(*file, m_economicFetch, &imported);
    // Read while close requests are answered; the build below takes the rows from here.
    const QString workbook = indicatorWorkbookBeside(m_settingsPath);
    if (!m_closed && m_economicFetch == QLatin1String("1") && QFileInfo::exists(workbook))
        m_schedule.useIndicatorRead(readIndicatorWorkbookAnswering(workbook));
    m_preparing = false;
    if (m_closed)
        return;
    if (imported)
        file = std::make_unique<ProfileTransaction>(m_settingsPath);
    buildLists(*file);
    m_schedule.useIndicatorRead(std::nullopt);
    // Preparing a day frees much more than it keeps (the file's text, the parsed sections, the
    // workbook's cells): give those pages back once the snapshot has gone too.
    file.reset();
    returnFreedMemory();
}

void RunnerApp::prepareNewDay()
{
    m_import.reset();
    bool importDue = false;
    {
        const ProfileTransaction file(m_settingsPath);
        const EconomicRefreshDecision refresh = decideEconomicRefresh(file, m_economicFetch);
        m_economicFetch = refresh.economicFetch;
        importDue = refresh.importDue;
        buildLists(file);
    }
    returnFreedMemory();
    if (importDue)
        startBackgroundImport();
}

void RunnerApp::buildLists(const ProfileTransaction& file)
{
    m_schedule.LoadHolidays(file);
    m_schedule.BuildDaySchedule(file, m_economicFetch);
    const DisplaySettings settings = LoadDisplaySettings(file, m_schedule);
    const bool changed = !m_announcer || settings != m_settings;
    m_settings = settings;
    if (changed)
        renewAnnouncer();
    if (!m_check)
        m_check = std::make_unique<ReminderCheck>(m_schedule, *m_announcer);
    m_check->setAdvance(m_settings.advance());
    m_missed.setLimit(m_settings.lateLimit());
    m_snoozes->setLimit(m_settings.lateLimit());
    m_check->setMissedReminders(&m_missed);
    m_check->setSnoozes(m_snoozes.get());
    m_check->setHistory(m_history.get());
}

void RunnerApp::renewAnnouncer()
{
    if (m_announcer && m_announcer->isAnnouncing()) {
        m_announcerStale = true;
        return;
    }
    m_announcerStale = false;
    // The check points at the announcer: switch it before the old one goes.
    std::unique_ptr<Announcer> old = std::move(m_announcer);
    m_announcer = m_makeAnnouncer(m_settings);
    m_announcer->setSnoozeHandler([this](const QString& message, int minutes) { onSnoozeChosen(message, minutes); });
    if (m_check)
        m_check->setAnnouncer(*m_announcer);
}

void RunnerApp::startBackgroundImport()
{
    m_import = std::make_unique<CalendarImportProcess>(m_settingsPath, indicatorWorkbookBeside(m_settingsPath),
                                                       Clock::today());
    connect(m_import.get(), &CalendarImportProcess::finished, this, &RunnerApp::onBackgroundImportFinished);
    m_import->start();
}

void RunnerApp::onBackgroundImportFinished(bool ok, const QString& reason)
{
    // Deleted later: the import is still emitting.
    if (QObject* done = m_import.release())
        done->deleteLater();
    if (m_closed)
        return;
    if (!ok) {
        logLine(QStringLiteral("経済指標カレンダーの取り込みに失敗しました: %1").arg(reason));
        return;
    }
    const DayList today = m_schedule.today();
    const DayList tomorrow = m_schedule.tomorrow();
    buildLists(ProfileTransaction(m_settingsPath));
    returnFreedMemory();
    m_schedule.keepShownFrom(today, tomorrow);
    logLine(QStringLiteral(
                "経済指標カレンダーを取り込み、本日と翌日の予定を作り直しました（本日の予定 %1件、翌日の予定 %2件）")
                .arg(m_schedule.today().size())
                .arg(m_schedule.tomorrow().size()));
}

void RunnerApp::tick()
{
    if (!m_check || m_preparing || m_closed)
        return;
    if (m_announcerStale)
        renewAnnouncer();
    if (m_check->CheckReminders() != ReminderCheck::Result::OtherDay)
        return;
    // The runner has outlived the day after its start: serve the new day as a fresh start
    // would, then check this second against the new lists. The calendar import that a new
    // month calls for must not hold up this check: it runs in the background.
    logLine(QStringLiteral("日付が変わったため、本日と翌日の予定を作り直します"));
    prepareNewDay();
    m_check->CheckReminders();
}

void RunnerApp::onSnoozeChosen(const QString& message, int minutes)
{
    if (!m_closed)
        m_snoozes->snooze(message, minutes, Clock::now());
}

bool RunnerApp::isArmed() const { return m_ticker && m_ticker->isActive(); }

void RunnerApp::onCloseRequested()
{
    logLine(QStringLiteral("終了の依頼を受けて終了します"));
    stopRunning();
    m_control->finishClose();
    m_closed = true;
    emit closed();
}

void RunnerApp::onTerminationSignal(int signal)
{
    if (m_closed)
        return;
    logLine(QStringLiteral("終了の合図を受けて終了します（%1）").arg(TerminationSignals::signalName(signal)));
    // The socket file goes before the instance, as for a close request, so that a runner
    // started next never finds ours.
    m_control->stop();
    stopRunning();
    m_control->finishClose();
    m_closed = true;
    emit closed();
}

void RunnerApp::stopRunning()
{
    if (m_ticker)
        m_ticker->stop();
    // Let go of the instance before answering: the sender may start a new runner at once.
    if (m_instance)
        m_instance->release();
}

} // namespace corvane
