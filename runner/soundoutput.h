#pragma once
// The WAVE output of announcements. It lives in a plugin (the only part of the runner on Qt
// Multimedia), loaded when a sound is first needed, so a runner without sound never maps the
// multimedia libraries.
#include <QLibrary>
#include <QString>
#include <memory>

namespace corvane {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Starts playback from the beginning (restarting one still playing) and returns at once.
    // A missing or unplayable file plays nothing and is logged once.
    virtual void play() = 0;
    // True while the file is being played on the audio output.
    virtual bool isPlaying() const = 0;
};

// Where the plugin writes its log lines (it shares no code with the runner).
using SoundLog = void (*)(const QString& line);
// The plugin's one entry point: a new output for the WAVE file at `path`, loaded ahead of its
// first play.
using MakeSoundOutput = SoundOutput* (*)(const QString& path, SoundLog log);
inline constexpr char kMakeSoundOutputSymbol[] = "corvaneMakeSoundOutput";
// The plugin's base name, beside the programs ("libcorvane_sound.so", "corvane_sound.dll").
inline constexpr char kSoundPluginName[] = "corvane_sound";

// The plugin, loaded on first use from a folder and kept loaded for the rest of the process
// (the multimedia libraries keep global state that must not be unloaded).
class SoundPlugin {
public:
    // `folder`: where the plugin is; empty for the programs' folder.
    explicit SoundPlugin(const QString& folder = {});

    // An output for `path`, or none when the plugin is missing or broken: the announcement
    // then goes on without sound. That is logged once per SoundPlugin.
    std::unique_ptr<SoundOutput> make(const QString& path);

private:
    bool load();

    QString m_folder;
    QLibrary m_library;
    MakeSoundOutput m_make = nullptr;
    bool m_failed = false;
};

} // namespace corvane
