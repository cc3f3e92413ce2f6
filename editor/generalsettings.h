#pragma once
// The general settings of the editor's second page: display time and advance, holidays,
// abbreviations, the economic-indicator switch, time differences and calendar address, and the
// reminder window's look and sound values. Plain data plus the load and the one-transaction
// save; the windows only bind their controls to it.
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "settingskeys.h"

namespace corvane::editor {

inline constexpr int kAbbreviationCount = 10;

// Keys of "表示フォーム" and "サウンド" in the order they are read and written.
const QStringList& displayKeys();
const QStringList& soundKeys();

struct GeneralSettings {
    // The controls of the general settings window, as texts.
    bool economic = false;    // "経済指標"/"取得"
    QString displaySeconds;   // "表示"/"時間"
    QString advanceMinutes;   // "事前表示"/"時間"
    QString lateLimitMinutes; // "事前表示"/"遅延上限": how late a reminder missed in sleep may still be shown
    QString et, cet, gmt;     // "時差"
    QString calendarUrl;      // "経済指標"/"URL"
    QStringList HolidayDates; // "祝日", in list order
    std::array<QString, kAbbreviationCount> abbreviations;     // "略称登録"/略称i
    std::array<QString, kAbbreviationCount> abbreviationTexts; // "略称登録"/内容i

    // What the last load put into the boxes above: the save writes only what changed.
    std::array<QString, kAbbreviationCount> loadedAbbreviations;
    std::array<QString, kAbbreviationCount> loadedAbbreviationTexts;
    QString loadedCalendarUrl;

    // Display and sound values: a key is present only once the file or a window set it, and
    // only present keys are written.
    QMap<QString, QString> display;
    QMap<QString, QString> sound;

    QString displayValue(const QString& key) const { return display.value(key); }
    QString soundValue(const QString& key) const { return sound.value(key); }
};

// Fills the record from the settings file. Past and unreadable holidays are dropped, the rest
// sorted by date; the "祝日" section is read whole however long it is. Display and sound values
// that the file leaves empty keep what the record held.
void LoadGeneralSettings(const QString& path, GeneralSettings& settings);

// Writes everything as one transaction. False with the message for the user when the file
// could not be written (nothing is written then).
bool SaveGeneralSettings(const QString& path, const GeneralSettings& settings, QString* error = nullptr);

// "再作成" imports with what the window shows: the time differences and the calendar address
// (only those) are written first, as one transaction. False with the message for the user when
// the file could not be written.
bool SaveEconomicSettings(const QString& path, GeneralSettings& settings, QString* error = nullptr);

// The holiday list after an add or delete: items that are dates of today or later, in list
// order.
QStringList RebuildHolidayList(const QStringList& items);
// "追加": the typed date as "yyyy/m/d", or nullopt when it is no date.
std::optional<QString> holidayFromInput(const QString& text);

// Input checks of the general settings window.
// Display seconds / advance minutes / lateness limit: empty, or a number that rounds to 0..32767.
bool acceptsNonNegativeWhole(const QString& text);
// Holiday date box: empty or a date.
bool acceptsDateText(const QString& text);
// Time differences: empty when accepted (empty or a whole number 0..24), else the message.
QString checkTimeDifference(const QString& text);
// Calendar address: empty when accepted (empty, or an http/https address), else the message.
QString checkCalendarUrl(const QString& text);

// The sound settings window's controls.
struct SoundForm {
    bool wave = false;
    QString wavePath;
    QString repeatCount;
    bool speech = false;
    QString textPath;
    std::array<QString, kSpeechCommandCount> commands;
};
SoundForm soundFormFrom(const GeneralSettings& settings);
// Copies the window into the sound values. Empty when done; otherwise the message, and
// nothing was copied. With both options off, both switches become "0".
QString CaptureSoundSettings(const SoundForm& form, GeneralSettings& settings);
// Path boxes: empty or an absolute path of the platform.
bool acceptsAbsolutePath(const QString& text);
// Repeat count: empty or a number.
bool acceptsRepeatCount(const QString& text);

} // namespace corvane::editor
