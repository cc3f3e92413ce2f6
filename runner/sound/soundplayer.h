#pragma once
// Plays the WAVE file of the sound settings: each play() starts playback and returns at once.
// A missing file, a file that does not play or a machine without an audio output fails
// silently towards the user, with one log line per kind of failure.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "soundoutput.h"
#include "wavelayout.h"

namespace corvane {

class PlaybackThread;

class SoundPlayer : public QObject, public SoundOutput {
    Q_OBJECT
public:
    // Reads the file and brings the audio output up ahead of time, so an announcement pays for
    // neither.
    SoundPlayer(const QString& path, SoundLog log, QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play() override;
    bool isPlaying() const override;

private:
    void load();
    void makePlayback();
    QString noOutputText() const;
    void setUnplayable(const QString& reason);
    void logOnce(bool& logged, const QString& text);

    QString m_path;
    SoundLog m_log;
    bool m_loaded = false;
    bool m_unplayable = false;
    WaveLayout m_layout;
    // The samples the output's buffer takes at the start, read ahead (as the output takes them).
    QByteArray m_head;
    std::unique_ptr<PlaybackThread> m_playback;
    bool m_loggedMissing = false;
    bool m_loggedUnplayable = false;
    bool m_loggedNoOutput = false;
};

} // namespace corvane
