#pragma once
// What one announcement needs, converted once from the held settings texts: the reminder
// window's look (twips, colour values, font) and the sound and speech plan. A value that does
// not convert falls back to the settings file's default with one line on stderr.
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

#include "displaysettings.h"
#include "valueforms.h"

namespace corvane {

// Label1's place in the window's client area and its design size, twips.
inline constexpr int kLabelLeft = 240;
inline constexpr int kLabelTop = 180;
inline constexpr int kLabelDesignWidth = 825;
inline constexpr int kLabelDesignHeight = 180;
inline constexpr int kDefaultFontPoints = 9;
inline constexpr int kDefaultDisplaySeconds = 10;
inline const QString kDefaultFontName = QStringLiteral("ＭＳ Ｐゴシック");

struct ReminderLook {
    // Outer placement of Form2 (caption bar and border included), twips.
    int32_t top = 0;
    int32_t left = 0;
    int32_t height = 1455;
    int32_t width = 2970;
    // Label1's size, twips: the window's size less the margins, or the design size.
    int32_t labelWidth = 2490;
    int32_t labelHeight = 1095;
    ColourValue background = ColourValue::system(kButtonFaceIndex);
    ColourValue text = ColourValue::system(kButtonTextIndex);
    QString fontName = kDefaultFontName;
    int fontPoints = kDefaultFontPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const ReminderLook&) const = default;
};

struct ReminderPlan {
    int displaySeconds = kDefaultDisplaySeconds;
    // Repetitions of the WAVE file; 0 when the sound is off.
    int soundRepetitions = 0;
    QString soundPath;
    bool speech = false;
    QString speechTextPath;
    std::array<QString, 3> speechCommands;
};

ReminderLook reminderLookFrom(const DisplaySettings& settings);
ReminderPlan reminderPlanFrom(const DisplaySettings& settings);

// Form2's caption: "  yyyy/m/d(aaa)  h:mm" with the weekday as one Japanese character.
QString reminderCaption(const QDateTime& at);

} // namespace corvane
