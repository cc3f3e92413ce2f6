#include "announcementsound.h"

namespace corvane {

namespace {

// How soon after its end a sound playing out is released: its memory, not the user, waits.
constexpr int kEndWatchMs = 250;

} // namespace

AnnouncementSound::AnnouncementSound(const QString& path, const QString& pluginFolder)
    : m_plugin(pluginFolder), m_path(path)
{
    QObject::connect(&m_endWatch, &QTimer::timeout, [this] {
        if (!isPlaying())
            releaseNow();
    });
}

AnnouncementSound::~AnnouncementSound() = default;

void AnnouncementSound::prepare()
{
    if (!m_output)
        m_output = m_plugin.make(m_path);
}

void AnnouncementSound::play()
{
    prepare();
    // The output now sounds for a running announcement, which releases it when it closes.
    m_endWatch.stop();
    if (m_output)
        m_output->play();
}

void AnnouncementSound::release()
{
    if (isPlaying())
        m_endWatch.start(kEndWatchMs);
    else
        releaseNow();
}

bool AnnouncementSound::isPlaying() const { return m_output && m_output->isPlaying(); }

void AnnouncementSound::releaseNow()
{
    m_endWatch.stop();
    m_output.reset();
}

} // namespace corvane
