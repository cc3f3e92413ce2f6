#pragma once
// The resident runner: one instance per user, today's and tomorrow's lists, the one-second
// check, and the control socket through which the editor and the controller find and close it.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "dayhistory.h"
#include "dayschedule.h"
#include "displaysettings.h"
#include "missedreminders.h"
#include "pendingsnoozes.h"
#include "remindercheck.h"

namespace corvane {

class Announcer;
class CalendarImportProcess;
class ProfileTransaction;
class RunnerControlServer;
class SecondTicker;
class SingleInstance;
class TerminationSignals;

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
    // Start-up: LoadHolidays, CheckEconomicRefresh (waiting for an import), then the lists.
    void prepareDay();
    // A new day while running: the lists from the workbook that is there, checked at once;
    // an import that is due runs in the background and the lists are built again after it.
    void prepareNewDay();
    // BuildDaySchedule, LoadDisplaySettings and the announcer for the held settings.
    void buildLists(const ProfileTransaction& file);
    void startBackgroundImport();
    void onBackgroundImportFinished(bool ok, const QString& reason);
    // The announcer for m_settings; one that is announcing finishes first, so that its
    // window stays the only one (see m_announcerStale).
    void renewAnnouncer();
    // The user picked "N分後にもう一度" in the window showing `message`.
    void onSnoozeChosen(const QString& message, int minutes);
    void onCloseRequested();
    void onTerminationSignal(int signal);
    // Stops the clock and lets go of the instance: a new runner may start from here on.
    void stopRunning();

    AnnouncerFactory m_makeAnnouncer;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<RunnerControlServer> m_control;
    std::unique_ptr<TerminationSignals> m_signals;
    std::unique_ptr<SecondTicker> m_ticker;
    std::unique_ptr<Announcer> m_announcer;
    // The settings changed while an announcement was on screen: the announcer is made anew
    // once it is idle. Until then newly due entries come up in the same window.
    bool m_announcerStale = false;
    std::unique_ptr<CalendarImportProcess> m_import;
    DaySchedule m_schedule;
    DisplaySettings m_settings;
    std::unique_ptr<ReminderCheck> m_check;
    // Outlives the rebuilds: a gap that crosses into a new day is finished after the rebuild.
    MissedReminders m_missed;
    // In the state folder, made once the instance is ours: a refused second runner touches
    // neither file.
    std::unique_ptr<DayHistory> m_history;
    std::unique_ptr<PendingSnoozes> m_snoozes;
    QString m_settingsPath;
    QString m_economicFetch;
    // A start-up import waits on the event loop; ticks arriving meanwhile must not start a
    // second preparation inside the first.
    bool m_preparing = false;
    bool m_closed = false;
};

} // namespace corvane
