// The date, time and number parsers on arbitrary text (as UTF-8 and as CP932): never crash,
// and whatever they accept formats back to a text they read as the same value.
// fuzz-sources: valueforms.cpp textcodec.cpp
#include "fuzzrequire.h"
#include "textcodec.h"
#include "valueforms.h"

#include <cmath>
#include <cstdint>

using namespace corvane;

namespace {

void check(const QString& text)
{
    if (const auto date = parseDate(text)) {
        REQUIRE(date->isValid());
        REQUIRE(parseDate(formatDate(*date)) == *date);
    }
    if (const auto time = parseTime(text)) {
        REQUIRE(time->isValid());
        const QTime minutes(time->hour(), time->minute());
        REQUIRE(parseTime(formatTime(*time)) == minutes);
    }
    if (const auto value = parseDecimal(text))
        REQUIRE(std::isfinite(*value));
    if (const auto w16 = parseWhole16(text))
        REQUIRE(parseWhole32(text) == int32_t(*w16));
    if (const auto w32 = parseWhole32(text))
        REQUIRE(parseWhole32(QString::number(*w32)) == *w32);
    parseColour(text);
    const QString half = toHalfWidth(text);
    REQUIRE(half.size() == text.size());
    // The codec on the same text: encoding never fails and never grows past two bytes a unit.
    REQUIRE(toCp932(text).size() <= 2 * text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    check(QString::fromUtf8(data));
    check(fromCp932(data));
    return 0;
}
