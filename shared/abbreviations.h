#pragma once
// The ten abbreviation slots of "略称登録" (略称0..略称9 with 内容0..内容9) and the one rule that
// the runner's lists and the controller's viewer both apply to entry texts.
#include <QString>
#include <array>

#include "settingskeys.h"

namespace corvane {

inline constexpr int kAbbreviationSlots = 10;

struct Abbreviations {
    std::array<QString, kAbbreviationSlots> shortForms; // 略称0..略称9
    std::array<QString, kAbbreviationSlots> fullTexts;  // 内容0..内容9

    // A text equal to a slot's abbreviation as a whole (same characters, same case) becomes
    // that slot's full text. Slots 0 to 9 are scanned in order with the replaced text, so a full
    // text that is a later slot's abbreviation is replaced again. An empty abbreviation matches
    // an empty text.
    QString expand(const QString& text) const;
};

} // namespace corvane
