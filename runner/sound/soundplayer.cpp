#include "soundplayer.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace corvane {

SoundPlayer::SoundPlayer(const QString& path, SoundLog log, QObject* parent) : QObject(parent), m_path(path), m_log(log)
{
    load();
}

void SoundPlayer::load()
{
    if (!QFileInfo(m_path).isFile())
        return; // reported at the first play, when the user would have heard it
    m_effect = new QSoundEffect(this);
    connect(m_effect, &QSoundEffect::statusChanged, this, [this] {
        if (m_effect->status() == QSoundEffect::Error)
            logOnce(m_loggedUnplayable,
                    QStringLiteral("WAVEファイルを鳴らせません: %1").arg(m_path));
    });
    m_effect->setSource(QUrl::fromLocalFile(QFileInfo(m_path).absoluteFilePath()));
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::play()
{
    if (!m_effect)
        load(); // the file may have come back (a network drive) since start-up
    if (!m_effect) {
        logOnce(m_loggedMissing, QStringLiteral("WAVEファイルがありません: %1").arg(m_path));
        return;
    }
    if (m_effect->status() == QSoundEffect::Error)
        return; // already reported
    // Restarts from the beginning when the previous repetition is still playing.
    m_effect->stop();
    m_effect->play();
}

bool SoundPlayer::isPlaying() const { return m_effect && m_effect->isPlaying(); }

void SoundPlayer::logOnce(bool& logged, const QString& text)
{
    if (logged)
        return;
    logged = true;
    m_log(text);
}

} // namespace corvane
