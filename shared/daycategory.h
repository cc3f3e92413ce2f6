#pragma once
// The eleven day categories of the schedule entries and their captions. The number is the
// category part of every entry key ("3-11") and the index of the editor's category options.
#include <QString>
#include <array>

#include "settingskeys.h"

namespace corvane {

inline constexpr int kCategoryCount = 11;
inline constexpr int kEntriesPerCategory = 50;

enum DayCategory : int {
    EveryDay = 0,
    Weekdays = 1,
    Dated = 2,
    Monday = 3, // 3..9 Monday..Sunday
    Sunday = 9,
    Holiday = 10,
};

// "毎日", "平日", "指定日", "月曜日" … "日曜日", "祝日".
QString categoryCaption(int category);

// The entry key "category-number", e.g. "3-11".
QString entryKey(int category, int number);

} // namespace corvane
