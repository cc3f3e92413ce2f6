#pragma once
// The WAVE sound of announcements, from one output at a time: made ahead of need, played for
// each repetition, and let play to its end once its announcement's window has closed (a short
// display time never cuts a long sound short). An output is released as soon as it has
// finished: an open one costs memory, and one kept for the next announcement costs more CPU at
// its plays than a fresh one.
#include <QString>
#include <QTimer>
#include <memory>

#include "soundoutput.h"

namespace corvane {

class AnnouncementSound {
public:
    // `path`: the WAVE file; `pluginFolder`: where the sound plugin is, empty for the programs'.
    explicit AnnouncementSound(const QString& path, const QString& pluginFolder = {});
    // Stops a sound still playing (the program closes).
    ~AnnouncementSound();
    AnnouncementSound(const AnnouncementSound&) = delete;
    AnnouncementSound& operator=(const AnnouncementSound&) = delete;

    // Opens an output ahead of a play (the audio backend takes tens of milliseconds to come
    // up). One still playing out after its announcement is kept: a second output would play
    // over it.
    void prepare();
    // Plays the file from its beginning, cutting off what the output still plays (an earlier
    // repetition or announcement): one sound at a time, the newest.
    void play();
    // Its announcement has closed: the output is released at once when silent, else when it
    // has played to its end.
    void release();
    // Silences the sound at once and releases its output (the user closed the reminder).
    void stop() { releaseNow(); }

    // A play has not reached its end yet.
    bool isPlaying() const;
    // Released but still playing: the sound goes on after its announcement.
    bool isPlayingOut() const { return m_endWatch.isActive(); }
    // An output is open, ready or playing.
    bool holdsOutput() const { return bool(m_output); }

private:
    void releaseNow();

    SoundPlugin m_plugin;
    QString m_path;
    std::unique_ptr<SoundOutput> m_output;
    // Runs while an output plays out: it tells its end only when asked.
    QTimer m_endWatch;
};

} // namespace corvane
