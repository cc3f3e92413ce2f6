#pragma once
// The choices of the reminder window's menu: see the message again after 5, 10 or 30 minutes.
// The window shows them; the runner accepts only these from its window program.
#include <QString>
#include <array>

namespace corvane {

inline constexpr std::array<int, 3> kSnoozeMinutes{5, 10, 30};

inline bool isSnoozeChoice(int minutes)
{
    for (int choice : kSnoozeMinutes)
        if (choice == minutes)
            return true;
    return false;
}

// 「5分後にもう一度」
inline QString snoozeCaption(int minutes) { return QStringLiteral("%1分後にもう一度").arg(minutes); }

} // namespace corvane
