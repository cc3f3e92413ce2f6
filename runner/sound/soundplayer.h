#pragma once
// Plays the WAVE file of the sound settings: each play() starts playback and returns at once.
// A missing file, a file that does not play or a machine without an audio output fails
// silently towards the user, with one stderr line per kind of failure.
#include <QObject>
#include <QString>

class QSoundEffect;

namespace corvane {

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    // Loads the file ahead of time, so an announcement does not pay for decoding it.
    explicit SoundPlayer(const QString& path, QObject* parent = nullptr);
    ~SoundPlayer() override;

    void play();
    // True while the file is being played on the audio output.
    bool isPlaying() const;

private:
    void load();
    void logOnce(bool& logged, const QString& text);

    QString m_path;
    QSoundEffect* m_effect = nullptr;
    bool m_loggedMissing = false;
    bool m_loggedUnplayable = false;
};

} // namespace corvane
