#pragma once
// The check of the quick-add time field, run when the focus is about to leave it.
#include <QDateTime>
#include <QString>

namespace corvane::controller {

// True when the time field may be left: it is empty, or it holds a time of day that the
// entry can be announced at. "本日" (todaySelected) refuses a time earlier than now, compared
// to the second; "翌日" takes any valid time. Only times of day are taken (h:mm, h:mm:ss, also
// typed in full width): a bare date would be stored as an entry time that is never announced.
bool acceptTimeField(const QString& text, bool todaySelected, const QDateTime& now);

} // namespace corvane::controller
