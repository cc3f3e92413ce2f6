#pragma once
// The quick add of a one-off entry for today or tomorrow: written as a category-2 ("指定日")
// entry at the first free number, the way the editor stores dated entries.
#include <QDate>
#include <QString>

namespace corvane {
class ProfileTransaction;
}

namespace corvane::controller {

enum class QuickDay { Today, Tomorrow };

struct QuickEntry {
    QuickDay day = QuickDay::Today;
    QString time; // as typed
    QString text; // as typed
};

struct QuickEntryResult {
    bool ok = false;
    int slot = -1;   // the number N of the key "2-N" written
    QString date;    // "yyyy/m/d" written to "指定日"
    QString message; // for the user when !ok
};

inline constexpr char16_t kEmptyTimeMessage[] = u"時刻を記入してください";
inline constexpr char16_t kBadTimeMessage[] = u"時刻を正しく記入してください";
inline constexpr char16_t kSlotsFullMessage[] = u"指定日の登録は50件までです";
inline constexpr char16_t kWriteFailedMessage[] = u"設定ファイルに書き込めませんでした。予定は登録されていません";

// The first number 0..49 whose "指定日" value is empty, or -1 when all fifty are in use.
int findFreeDatedSlot(const ProfileTransaction& file);

// Today, or today plus one day.
QDate quickEntryDate(QuickDay day, const QDate& today);

// Checks the entry, then writes "指定日", "時刻" and "内容" under "2-N" in one locked
// read-modify-write of the settings file at settingsPath (N chosen under the lock). The date comes from Clock::today().
// Nothing is written when the result is not ok; the message says why.
QuickEntryResult RegisterQuickEntry(const QString& settingsPath, const QuickEntry& entry);

} // namespace corvane::controller
