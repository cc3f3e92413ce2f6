#pragma once
// The reminder window's look, the sound and speech settings and the advance, read once at
// start-up and held as the text of the file; converted where used.
#include <QString>
#include <array>
#include <functional>

namespace corvane {

class ProfileTransaction;

struct DisplaySettings {
    QString displaySeconds;   // "表示"/"時間"
    QString advanceMinutes;   // "事前表示"/"時間", "0" when empty
    QString lateLimitMinutes; // "事前表示"/"遅延上限", "60" when empty
    // "表示フォーム"
    QString colour, top, left, height, width, fontName, fontSize;
    QString bold, italic, underline, strikeout, textColour;
    // "サウンド"
    QString sound, soundPath, soundRepeat, speech, speechTextPath;
    std::array<QString, 3> speechCommands;

    bool operator==(const DisplaySettings&) const = default;

    // The advance in whole minutes; 0 when the text does not convert (logged by the loader).
    int advance() const;
    // Minutes a reminder missed in a gap of the checks may be late and still be shown; 60
    // when the text is no whole number of 0 or more (logged by the loader).
    int lateLimit() const;
};

class DaySchedule;

// Reads every key above from the settings file at `settingsPath`, in the order of the file's
// sections, then expands the abbreviations in the schedule's lists.
DisplaySettings LoadDisplaySettings(const QString& settingsPath, DaySchedule& schedule);
DisplaySettings LoadDisplaySettings(const ProfileTransaction& file, DaySchedule& schedule);

// The reads of LoadDisplaySettings; `expandAbbreviations` runs at the point where start-up
// expands the abbreviations (after the advance, before the window's look). Empty keys with a
// default ("色", "TOP", "LEFT", "HEIGHT", "WIDTH", the advance) hold the default's text.
DisplaySettings readDisplaySettings(const QString& settingsPath, const std::function<void()>& expandAbbreviations = {});
DisplaySettings readDisplaySettings(const ProfileTransaction& file,
                                    const std::function<void()>& expandAbbreviations = {});

} // namespace corvane
