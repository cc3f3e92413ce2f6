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
    // Right after start-up, off the path to the armed timer: the window's first layout and the
    // sound output (its audio backend takes tens of milliseconds to come up).
    QTimer::singleShot(0, m_window.get(), [this] {
        m_window->prepare(m_look);
        soundPlayer();
    });
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

void ReminderAnnouncer::showReminder(const QString& caption, const QString& message)
{
    m_window->present(m_look, caption, message);
}

SoundPlayer* ReminderAnnouncer::soundPlayer()
{
    if (!m_sound && m_plan.soundRepetitions > 0)
        m_sound = std::make_unique<SoundPlayer>(m_plan.soundPath);
    return m_sound.get();
}

void ReminderAnnouncer::playSound()
{
    if (SoundPlayer* sound = soundPlayer())
        sound->play();
}

void ReminderAnnouncer::speak(const QString& message)
{
    handToSpeech(message, m_plan.speechTextPath, m_plan.speechCommands);
}

void ReminderAnnouncer::closeReminder() { m_window->hide(); }

} // namespace corvane
