#include "reminderannouncer.h"

#include "clock.h"
#include "freedmemory.h"
#include "reminderwindow.h"
#include "speech.h"

namespace corvane {

ReminderAnnouncer::ReminderAnnouncer(const DisplaySettings& settings, AnnouncementTimeSource* time,
                                     const QString& soundPluginFolder)
    : m_look(reminderLookFrom(settings)), m_plan(reminderPlanFrom(settings)),
      m_sound(m_plan.soundPath, soundPluginFolder)
{
    if (!time) {
        m_ownTime = std::make_unique<EventLoopTimeSource>();
        time = m_ownTime.get();
    }
    m_announcement = std::make_unique<Announcement>(m_plan, *time, *this);
}

ReminderAnnouncer::~ReminderAnnouncer()
{
    // Stop before the window and the player go.
    m_announcement.reset();
}

void ReminderAnnouncer::AnnounceReminder(const QString& message)
{
    m_message = message;
    m_announcement->start(reminderCaption(Clock::now()), message);
}

void ReminderAnnouncer::dismiss(int snoozeMinutes)
{
    if (!m_announcement->isActive())
        return;
    m_announcement->stop();
    m_sound.stop();
    if (snoozeMinutes > 0)
        reportSnooze(m_message, snoozeMinutes);
}

void ReminderAnnouncer::setReady(bool ready)
{
    if (ready) {
        if (!m_window)
            reminderWindow().prepare(m_look);
        // The audio backend takes tens of milliseconds to come up: not at the due second.
        if (hasSound())
            m_sound.prepare();
        return;
    }
    if ((!m_window && !m_sound.holdsOutput()) || isAnnouncing())
        return;
    m_window.reset();
    m_sound.release();
    returnFreedMemory();
}

ReminderWindow& ReminderAnnouncer::reminderWindow()
{
    if (!m_window) {
        m_window = std::make_unique<ReminderWindow>();
        QObject::connect(m_window.get(), &ReminderWindow::snoozeRequested, [this](int minutes) { dismiss(minutes); });
        QObject::connect(m_window.get(), &ReminderWindow::closeRequested, [this] { dismiss(0); });
    }
    return *m_window;
}

void ReminderAnnouncer::showReminder(const QString& caption, const QString& message)
{
    reminderWindow().present(m_look, caption, message);
}

void ReminderAnnouncer::playSound()
{
    // Asked for only when the plan has repetitions, that is when a sound is set.
    m_sound.play();
}

void ReminderAnnouncer::speak(const QString& message)
{
    handToSpeech(message, m_plan.speechTextPath, m_plan.speechCommands);
}

void ReminderAnnouncer::closeReminder()
{
    if (m_window)
        m_window->hide();
    // The sound plays on to its end, whatever the display time; the next getting ready makes a
    // fresh output.
    m_sound.release();
}

} // namespace corvane
