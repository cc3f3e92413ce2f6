#pragma once
// The section "事前表示": how many minutes before its time a reminder comes up, and how late a
// reminder missed while the computer slept (or the clock leapt forward) may still be shown.
// The editor writes them, the runner reads them.
#include <QString>

namespace corvane {

inline constexpr char16_t kAdvanceSection[] = u"事前表示";
inline constexpr char16_t kAdvanceKey[] = u"時間";
inline constexpr char16_t kLateLimitKey[] = u"遅延上限";
// Minutes, when the key is absent; 0 shows no reminder late.
inline constexpr int kDefaultLateLimitMinutes = 60;

} // namespace corvane
