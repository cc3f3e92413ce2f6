// libFuzzer target for the calendar page reader: charset detection and decoding, the HTML
// first-table grid and the conversion to release rows. The first input byte picks the
// Content-Type the page arrives with; the rest is the page.
// fuzz-sources: import/htmltable.cpp import/firsttablereader.cpp import/pagecharset.cpp
// fuzz-sources: import/releaserows.cpp textcodec.cpp
// fuzz-packages: libxml-2.0
#include "import/htmltable.h"
#include "import/pagecharset.h"
#include "import/releaserows.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const contentTypes[] = {"", "text/html; charset=Shift_JIS", "text/html; charset=EUC-JP",
                                               "text/html; charset=utf-8", "text/html; charset=iso-2022-jp"};
    const QByteArray contentType = contentTypes[data[0] % 5];
    const QByteArray page(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const std::optional<corvane::TableGrid> grid = corvane::readFirstTable(corvane::pageToUtf8(page, contentType));
    if (!grid)
        return 0;
    // Spread the differences over their range, negative ones included.
    const corvane::TimeDifferences differences{int(data[0] % 49) - 24, 8, 9};
    const corvane::CalendarConversion result = corvane::ConvertCalendarGrid(*grid, differences, QDate(2025, 2, 15));
    for (const corvane::IndicatorRow& row : result.rows) {
        if (!row.date.isValid() || !row.time.isValid())
            __builtin_trap();
    }
    return 0;
}
