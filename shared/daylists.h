#pragma once
// The derived day lists: the runner writes them at start-up, the controller's viewer reads them.
// Each is a section with 時刻n and 内容n from n = 0 up to the first empty time.
#include <QString>

namespace corvane {

inline constexpr char16_t kTodayListSection[] = u"本日の予定";
inline constexpr char16_t kTomorrowListSection[] = u"翌日の予定";

inline QString dayListTimeKey(qsizetype n) { return QStringLiteral("時刻") + QString::number(n); }
inline QString dayListTextKey(qsizetype n) { return QStringLiteral("内容") + QString::number(n); }

} // namespace corvane
