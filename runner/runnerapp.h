#pragma once
// The resident runner: one instance per user, today's and tomorrow's lists, the one-second
// check, and the control socket through which the editor and the controller find and close it.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "dayschedule.h"
#include "displaysettings.h"
#include "missedreminders.h"
#include "remindercheck.h"

namespace corvane {

class Announcer;
class RunnerControlServer;
class SecondTicker;
class SingleInstance;

class RunnerApp : public QObject {
    Q_OBJECT
public:
    // Makes the announcer from the settings of each (re)build.
    using AnnouncerFactory = std::function<std::unique_ptr<Announcer>(const DisplaySettings&)>;

    explicit RunnerApp(AnnouncerFactory makeAnnouncer, QObject* parent = nullptr);
    ~RunnerApp() override;

    // Start-up: single instance, control socket, the day's lists and settings, then the
    // timer. False when another runner already runs: the process then ends at once.
    bool Main();

    // The one-second tick (also called by tests with an injected clock).
    void tick();

    const DaySchedule& schedule() const { return m_schedule; }
    const DisplaySettings& settings() const { return m_settings; }
    bool isArmed() const;
    // A close request has been answered (possibly while start-up was still importing).
    bool hasClosed() const { return m_closed; }

signals:
    // A close request was answered: the process should end now.
    void closed();

private:
    // LoadHolidays, CheckEconomicRefresh, BuildDaySchedule, LoadDisplaySettings.
    void prepareDay();
    void onCloseRequested();

    AnnouncerFactory m_makeAnnouncer;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<RunnerControlServer> m_control;
    std::unique_ptr<SecondTicker> m_ticker;
    std::unique_ptr<Announcer> m_announcer;
    std::unique_ptr<Announcer> m_retiredAnnouncer;
    DaySchedule m_schedule;
    DisplaySettings m_settings;
    std::unique_ptr<ReminderCheck> m_check;
    // Outlives the rebuilds: a gap that crosses into a new day is finished after the rebuild.
    MissedReminders m_missed;
    QString m_settingsPath;
    QString m_economicFetch;
    // A start-up import waits on the event loop; ticks arriving meanwhile must not start a
    // second preparation inside the first.
    bool m_preparing = false;
    bool m_closed = false;
};

} // namespace corvane
