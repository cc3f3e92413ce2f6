#include "quickentry.h"

#include "clock.h"
#include "daycategory.h"
#include "log.h"
#include "profile.h"
#include "valueforms.h"

namespace corvane::controller {

namespace {
const QString dateSection = QString::fromUtf16(kDateSection);
const QString timeSection = QString::fromUtf16(kTimeSection);
const QString textSection = QString::fromUtf16(kTextSection);

QuickEntryResult refused(const char16_t* message)
{
    QuickEntryResult result;
    result.message = QString::fromUtf16(message);
    return result;
}
} // namespace

int findFreeDatedSlot(const ProfileTransaction& file)
{
    for (int n = 0; n < kEntriesPerCategory; ++n) {
        if (file.readString(dateSection, entryKey(Dated, n)).isEmpty())
            return n;
    }
    return -1;
}

QDate quickEntryDate(QuickDay day, const QDate& today) { return day == QuickDay::Today ? today : today.addDays(1); }

QuickEntryResult RegisterQuickEntry(const QString& settingsPath, const QuickEntry& entry)
{
    // An entry without a readable time would sit in the file and never be announced.
    if (entry.time.trimmed().isEmpty())
        return refused(kEmptyTimeMessage);
    if (!parseTime(entry.time))
        return refused(kBadTimeMessage);

    // Text the settings file cannot hold is refused before anything is written.
    if (QString why = checkStorable(entry.text + entry.time); !why.isEmpty()) {
        QuickEntryResult result;
        result.message = why;
        return result;
    }

    // The slot is chosen on the file as it is under the lock and written before the lock is
    // let go: two programs adding at once can never pick the same free slot.
    int slot = -1;
    QString key, date;
    QString error;
    const bool written = updateProfile(
        settingsPath,
        [&](ProfileTransaction& file) {
            slot = findFreeDatedSlot(file);
            if (slot < 0)
                return false;
            key = entryKey(Dated, slot);
            date = formatDate(quickEntryDate(entry.day, Clock::today()));
            file.writeString(dateSection, key, date);
            file.writeString(timeSection, key, entry.time);
            file.writeString(textSection, key, entry.text);
            return true;
        },
        &error);
    if (!written) {
        logLine(QStringLiteral("予定の追加: %1 に書き込めません: %2").arg(settingsPath, error));
        QuickEntryResult result = refused(kWriteFailedMessage);
        result.message += QLatin1Char('\n') + error; // the user can act on the reason
        return result;
    }
    if (slot < 0)
        return refused(kSlotsFullMessage);

    QuickEntryResult result;
    result.ok = true;
    result.slot = slot;
    result.date = date;
    return result;
}

} // namespace corvane::controller
