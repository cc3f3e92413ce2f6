#pragma once
// AnnounceReminder: the runner's Announcer that shows due messages in Form2 with the sound
// and speech of the settings, driven by the Announcement state machine on the event loop.
#include <memory>

#include "announcement.h"
#include "announcementsound.h"
#include "announcer.h"
#include "reminderlook.h"

namespace corvane {

class ReminderWindow;

class ReminderAnnouncer final : public Announcer, public AnnouncementOutput {
public:
    // Converts the held settings once (logging values that fall back to defaults). `time`
    // defaults to the event loop's own and the sound plugin's folder to the programs'; tests
    // pass their own.
    explicit ReminderAnnouncer(const DisplaySettings& settings, AnnouncementTimeSource* time = nullptr,
                               const QString& soundPluginFolder = {});
    ~ReminderAnnouncer() override;

    void announce(const QString& message) override { AnnounceReminder(message); }
    // Ready: the window made and painted once off screen (its fonts and glyphs loaded) and the
    // sound output opened. Released: both given back with their memory; a release asked for
    // during an announcement, or while its sound plays on, is ignored (the check asks again
    // every second).
    void setReady(bool ready) override;
    // Shows `message` (the due texts, each ended by "\n") now, replacing one on screen.
    void AnnounceReminder(const QString& message);
    // The user closed the window from its menu: the announcement ends and its sound stops;
    // for a snooze (minutes > 0) the message on screen is reported to the snooze handler.
    void dismiss(int snoozeMinutes);

    // On screen, or its sound still playing after the window has closed.
    bool isAnnouncing() const override { return m_announcement->isActive() || m_sound.isPlayingOut(); }
    // None while released.
    ReminderWindow* window() const { return m_window.get(); }
    const ReminderLook& look() const { return m_look; }
    const ReminderPlan& plan() const { return m_plan; }

private:
    void showReminder(const QString& caption, const QString& message) override;
    void playSound() override;
    void speak(const QString& message) override;
    void closeReminder() override;
    // Made when getting ready, or at the first use if that comes sooner.
    ReminderWindow& reminderWindow();
    bool hasSound() const { return m_plan.soundRepetitions > 0; }

    ReminderLook m_look;
    ReminderPlan m_plan;
    std::unique_ptr<AnnouncementTimeSource> m_ownTime;
    std::unique_ptr<ReminderWindow> m_window;
    AnnouncementSound m_sound;
    std::unique_ptr<Announcement> m_announcement;
    // The message on screen, for a snooze asked for from the window.
    QString m_message;
};

} // namespace corvane
