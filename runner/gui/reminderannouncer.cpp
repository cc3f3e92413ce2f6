#include "reminderannouncer.h"

#include "clock.h"
#include "freedmemory.h"
#include "reminderwindow.h"
#include "speech.h"

namespace corvane {

ReminderAnnouncer::ReminderAnnouncer(const DisplaySettings& settings, AnnouncementTimeSource* time)
    : m_look(reminderLookFrom(settings)), m_plan(reminderPlanFrom(settings))
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
    m_announcement->start(reminderCaption(Clock::now()), message);
}

void ReminderAnnouncer::setReady(bool ready)
{
    if (ready) {
        if (!m_window)
            reminderWindow().prepare(m_look);
        // The audio backend takes tens of milliseconds to come up: not at the due second.
        soundOutput();
        return;
    }
    if ((!m_window && !m_sound) || m_announcement->isActive())
        return;
    m_window.reset();
    m_sound.reset();
    returnFreedMemory();
}

ReminderWindow& ReminderAnnouncer::reminderWindow()
{
    if (!m_window)
        m_window = std::make_unique<ReminderWindow>();
    return *m_window;
}

void ReminderAnnouncer::showReminder(const QString& caption, const QString& message)
{
    reminderWindow().present(m_look, caption, message);
}

SoundOutput* ReminderAnnouncer::soundOutput()
{
    if (!m_sound && m_plan.soundRepetitions > 0)
        m_sound = m_soundPlugin.make(m_plan.soundPath);
    return m_sound.get();
}

void ReminderAnnouncer::playSound()
{
    if (SoundOutput* sound = soundOutput())
        sound->play();
}

void ReminderAnnouncer::speak(const QString& message)
{
    handToSpeech(message, m_plan.speechTextPath, m_plan.speechCommands);
}

void ReminderAnnouncer::closeReminder()
{
    if (m_window)
        m_window->hide();
    // A sound output kept from one announcement to the next costs more CPU at its next plays
    // than a fresh one; the next getting ready makes a new one.
    m_sound.reset();
}

} // namespace corvane
