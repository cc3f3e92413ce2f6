#include "valueforms.h"

#include <cmath>
#include <limits>

namespace corvane {
namespace {

// Digits only, at least one, at most maxDigits; the value in *out.
bool parseDigits(QStringView text, int maxDigits, int* out)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    *out = value;
    return true;
}

// toHalfWidth, then blanks around removed: what every parser starts from.
QString normalized(const QString& text) { return toHalfWidth(text).trimmed(); }

template <typename Int>
std::optional<Int> parseWhole(const QString& text)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value)
        return std::nullopt;
    const double rounded = roundHalfEven(*value);
    if (rounded < double(std::numeric_limits<Int>::min()) || rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return Int(rounded);
}

} // namespace

QString toHalfWidth(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFEE0));
        else if (u == 0x3000)
            c = QLatin1Char(' ');
    }
    return out;
}

QString formatDate(const QDate& date)
{
    return QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString formatTime(const QTime& time)
{
    return QStringLiteral("%1:%2").arg(time.hour()).arg(time.minute(), 2, 10, QLatin1Char('0'));
}

std::optional<QDate> parseDate(const QString& text)
{
    // In kana mode the "/" key gives the middle dot: 2027・1・1 is a date typed as 2027/1/1.
    QString s = normalized(text);
    s.replace(QChar(0x30FB), QLatin1Char('/')).replace(QChar(0xFF65), QLatin1Char('/'));
    const QChar separator = s.contains(QLatin1Char('/')) ? QLatin1Char('/') : QLatin1Char('-');
    const QList<QStringView> parts = QStringView(s).split(separator);
    int year = 0, month = 0, day = 0;
    if (parts.size() != 3 || !parseDigits(parts[0], 4, &year) || !parseDigits(parts[1], 2, &month)
        || !parseDigits(parts[2], 2, &day) || year < 100)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QTime> parseTime(const QString& text)
{
    const QString s = normalized(text);
    const QList<QStringView> parts = QStringView(s).split(QLatin1Char(':'));
    int hour = 0, minute = 0, second = 0;
    if (parts.size() < 2 || parts.size() > 3 || !parseDigits(parts[0], 2, &hour) || !parseDigits(parts[1], 2, &minute)
        || (parts.size() == 3 && !parseDigits(parts[2], 2, &second)))
        return std::nullopt;
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return QTime(hour, minute, second);
}

bool isFlagOn(const QString& text) { return text == QLatin1String("1"); }

std::optional<double> parseFontPoints(const QString& text)
{
    const auto points = parseDecimal(text);
    if (!points || *points <= 0 || *points > 512 || std::floor(*points * 2) != *points * 2)
        return std::nullopt;
    return points;
}

std::optional<double> parseDecimal(const QString& text)
{
    const QString s = normalized(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        negative = s[i++] == QLatin1Char('-');
    // Built from the digits rather than through a locale-aware conversion: "1,5" or "1e3" fail.
    QByteArray plain(negative ? "-" : "");
    int digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            plain.append(char(c.unicode()));
            ++digits;
        } else if (c == QLatin1Char('.') && !point) {
            plain.append('.');
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double value = QString::fromLatin1(plain).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int16_t> parseWhole16(const QString& text) { return parseWhole<int16_t>(text); }
std::optional<int32_t> parseWhole32(const QString& text) { return parseWhole<int32_t>(text); }

double roundHalfEven(double value)
{
    // Worked out by hand: std::nearbyint would depend on the current rounding mode.
    const double down = std::floor(value);
    const double diff = value - down;
    if (diff < 0.5)
        return down;
    if (diff > 0.5)
        return down + 1;
    return std::fmod(down, 2.0) == 0 ? down : down + 1;
}

std::optional<ColourValue> parseColour(const QString& text)
{
    const std::optional<int32_t> raw = parseWhole32(text);
    if (!raw)
        return std::nullopt;
    return ColourValue{*raw};
}

} // namespace corvane
