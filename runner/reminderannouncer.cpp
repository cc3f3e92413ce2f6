#include "reminderannouncer.h"

#include "clock.h"
#include "reminderwindow.h"
#include "soundplayer.h"
#include "speech.h"

#include <QTimer>

namespace corvane {

ReminderAnnouncer::ReminderAnnouncer(const DisplaySettings& settings, AnnouncementTimeSource* time)
    : m_look(reminderLookFrom(settings)), m_plan(reminderPlanFrom(settings))
{
    if (!time) {
        m_ownTime = std::make_unique<EventLoopTimeSource>();
        time = m_ownTime.get();
    }
    // Made ahead of the first announcement so that its window comes up without delay.
    m_window = std::make_unique<ReminderWindow>();
    // Right after start-up, off the path to the armed timer.
    QTimer::singleShot(0, m_window.get(), [this] { m_window->prepare(m_look); });
    if (m_plan.soundRepetitions > 0)
        m_sound = std::make_unique<SoundPlayer>(m_plan.soundPath);
    m_announcement = std::make_unique<Announcement>(m_plan, *time, *this);
}

ReminderAnnouncer::~ReminderAnnouncer()
{
    // Stop before the window and the player go.
    m_announcement.reset();
}

void ReminderAnnouncer::announce(const QString& message)
{
    m_announcement->start(reminderCaption(Clock::now()), message);
}

void ReminderAnnouncer::showReminder(const QString& caption, const QString& message)
{
    m_window->present(m_look, caption, message);
}

void ReminderAnnouncer::playSound()
{
    if (m_sound)
        m_sound->play();
}

void ReminderAnnouncer::speak(const QString& message)
{
    handToSpeech(message, m_plan.speechTextPath, m_plan.speechCommands);
}

void ReminderAnnouncer::closeReminder() { m_window->hide(); }

} // namespace corvane
