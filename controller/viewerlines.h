#pragma once
// The lines of the today/tomorrow viewer: the day lists the runner publishes in the settings
// file, with registered abbreviations replaced by their full texts.
#include <QList>
#include <QString>
#include <QStringList>
#include "abbreviations.h"
#include "settingskeys.h"

namespace corvane::controller {

enum class ViewerDay { Today, Tomorrow };

struct DayListEntry {
    QString time;
    QString text;
    bool operator==(const DayListEntry&) const = default;
};

// Takes the non-empty values of "略称登録" into the slots; empty values leave a slot as it was
// (the viewer keeps the slots for the controller's lifetime: a slot emptied in the file keeps its
// last loaded value until the controller restarts).
void loadAbbreviations(const QString& settingsPath, Abbreviations& abbreviations);

// The stored time in its normal half-width form ("９：３０", " 09:30 " → "9:30"; seconds only
// when not zero; what is not a time as stored); one of four characters gets a leading space
// so that the texts of "9:30" and "10:30" start in the same column; then four spaces and the
// text.
QString formatViewerLine(const QString& storedTime, const QString& text);

// Positions 0, 1, ... of a day list up to the first empty time, read from one snapshot of
// the file (a list the runner is rewriting is seen whole, old or new).
QList<DayListEntry> readDayList(const QString& settingsPath, ViewerDay day);

// The viewer's lines for a day. "本日" reloads the abbreviations first; "翌日" uses those of
// the last "本日".
QStringList buildViewerLines(const QString& settingsPath, ViewerDay day, Abbreviations& abbreviations);

} // namespace corvane::controller
