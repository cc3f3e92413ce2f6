#pragma once
// The text forms of values in the settings file and the windows: dates "yyyy/m/d", times
// "h:mm", flags, whole numbers, colours. Parsers accept full-width digits and punctuation
// (as typed through a Japanese input method) as their ASCII forms and report failure
// instead of guessing.
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>

namespace corvane {

// Full-width ASCII variants (U+FF01..U+FF5E) and the ideographic space become ASCII.
QString toHalfWidth(const QString& text);

// "yyyy/m/d" without leading zeros.
QString formatDate(const QDate& date);
// "h:mm" (no leading zero on the hour).
QString formatTime(const QTime& time);

// y/m/d or y-m-d, blanks around allowed; year 100..9999. The middle dot "・" (what the "/" key
// gives in kana mode) separates like "/". Invalid → nullopt.
std::optional<QDate> parseDate(const QString& text);
// h:mm or h:mm:ss, 0 ≤ h ≤ 23, two-digit minutes (one digit accepted), 0..59. Invalid → nullopt.
std::optional<QTime> parseTime(const QString& text);

// "1" is on; everything else is off.
bool isFlagOn(const QString& text);

// Decimal number with optional sign and fraction, rounded halves to even. Out of range or
// not a number → nullopt.
std::optional<int16_t> parseWhole16(const QString& text);
std::optional<int32_t> parseWhole32(const QString& text);
// The plain decimal number (for sizes that keep a fraction, e.g. "FSIZE" 10.5).
std::optional<double> parseDecimal(const QString& text);
// A font size in points as the designer stores it: greater than 0, at most 512, in steps of
// a half (10.5, the usual size of Japanese documents). Otherwise nullopt.
std::optional<double> parseFontPoints(const QString& text);
// Rounds halves to the even neighbour.
double roundHalfEven(double value);

// A signed 32-bit colour value: ≥ 0 is 0x00BBGGRR, negative names a system colour whose
// index is the lowest byte.
struct ColourValue {
    int32_t raw = 0;
    bool isSystem() const { return raw < 0; }
    int systemIndex() const { return raw & 0xFF; }
    int red() const { return raw & 0xFF; }
    int green() const { return (raw >> 8) & 0xFF; }
    int blue() const { return (raw >> 16) & 0xFF; }
    static ColourValue fromRgb(int r, int g, int b) { return {int32_t(r | (g << 8) | (b << 16))}; }
    static ColourValue system(int index) { return {int32_t(0x80000000u | uint32_t(index))}; }
    bool operator==(const ColourValue&) const = default;
};
std::optional<ColourValue> parseColour(const QString& text);

inline constexpr int kButtonFaceIndex = 15;
inline constexpr int kButtonTextIndex = 18;

} // namespace corvane
