#include "runnerapp.h"

#include "announcer.h"
#include "economicrefresh.h"
#include "freedmemory.h"
#include "profile.h"
#include "log.h"
#include "runnercontrol.h"
#include "secondticker.h"
#include "settingspath.h"
#include "singleinstance.h"

#include <cstdio>

namespace corvane {

RunnerApp::RunnerApp(AnnouncerFactory makeAnnouncer, QObject* parent)
    : QObject(parent), m_makeAnnouncer(std::move(makeAnnouncer))
{
}

RunnerApp::~RunnerApp() = default;

bool RunnerApp::Main()
{
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

    m_settingsPath = SettingsPath();
    prepareDay();
    if (m_closed)
        return true;

    m_ticker = std::make_unique<SecondTicker>();
    connect(m_ticker.get(), &SecondTicker::tick, this, &RunnerApp::tick);
    m_ticker->start();
    // Lets the start-up benchmark see the moment the timer is armed.
    if (qEnvironmentVariableIsSet("CORVANE_RUNNER_ARMED_MARKER")) {
        std::fputs("corvane_110 armed\n", stderr);
        std::fflush(stderr);
    }
    // The log shows from when announcements were watched for, and with what lists (after the
    // marker, so that the start-up figure stays the timer's).
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
    m_preparing = false;
    if (m_closed)
        return;
    if (imported)
        file = std::make_unique<ProfileTransaction>(m_settingsPath);
    m_schedule.LoadHolidays(*file);
    m_schedule.BuildDaySchedule(*file, m_economicFetch);
    m_settings = LoadDisplaySettings(*file, m_schedule);
    // An announcement still on screen across midnight finishes with the announcer that began it.
    m_retiredAnnouncer = std::move(m_announcer);
    m_announcer = m_makeAnnouncer(m_settings);
    m_check = std::make_unique<ReminderCheck>(m_schedule, *m_announcer);
    m_check->setAdvance(m_settings.advance());
    m_missed.setLimit(m_settings.lateLimit());
    m_check->setMissedReminders(&m_missed);
    // Preparing a day frees much more than it keeps (the file's text, the parsed sections, the
    // workbook's cells): give those pages back once the snapshot has gone too.
    file.reset();
    returnFreedMemory();
}

void RunnerApp::tick()
{
    if (!m_check || m_preparing || m_closed)
        return;
    if (m_check->CheckReminders() != ReminderCheck::Result::OtherDay)
        return;
    // The runner has outlived the day after its start: serve the new day as a fresh start
    // would, then check this second against the new lists.
    logLine(QStringLiteral("日付が変わったため、本日と翌日の予定を作り直します"));
    prepareDay();
    m_check->CheckReminders();
}

bool RunnerApp::isArmed() const { return m_ticker && m_ticker->isActive(); }

void RunnerApp::onCloseRequested()
{
    logLine(QStringLiteral("終了の依頼を受けて終了します"));
    if (m_ticker)
        m_ticker->stop();
    // Let go of the instance before answering: the sender may start a new runner at once.
    if (m_instance)
        m_instance->release();
    m_control->finishClose();
    m_closed = true;
    emit closed();
}

} // namespace corvane
