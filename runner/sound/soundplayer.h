#pragma once
// Plays the WAVE file of the sound settings: each play() starts playback and returns at once.
// A missing file, a file that does not play or a machine without an audio output fails
// silently towards the user, with one log line per kind of failure.
#include <QObject>
#include <QString>

#include "soundoutput.h"

class QSoundEffect;

namespace corvane {

class SoundPlayer : public QObject, public SoundOutput {
    Q_OBJECT
public:
    // Loads the file ahead of time, so an announcement does not pay for decoding it.
    SoundPlayer(const QString& path, SoundLog log, QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play() override;
    bool isPlaying() const override;

private:
    void load();
    void logOnce(bool& logged, const QString& text);

    QString m_path;
    SoundLog m_log;
    QSoundEffect* m_effect = nullptr;
    bool m_loggedMissing = false;
    bool m_loggedUnplayable = false;
};

} // namespace corvane
