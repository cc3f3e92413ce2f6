// libFuzzer target over the workbook reading path: FreeXL opening arbitrary bytes as a
// workbook, our cell decoding of every sheet, and the indicator rows read as the runner
// reads them. Nothing may crash, hang or read out of bounds.
//
// Built by tests/fuzz/build.sh; run for example as
//   build-fuzz/fuzz_xlsread -max_total_time=120 -max_len=16384 corpus/ tests/data/xls/
// with ASAN_OPTIONS=detect_leaks=0: FreeXL 1.0.6 leaks on some failed opens, which is not
// ours to fix and would end every run.
// fuzz-sources: xls/biffcheck.cpp xls/bytewriter.cpp xls/cellrecords.cpp xls/compoundfile.cpp
// fuzz-sources: xls/compoundfilecheck.cpp xls/formatrecords.cpp xls/globalsrecords.cpp
// fuzz-sources: xls/sstrecords.cpp xls/viewrecords.cpp xls/xlsmodel.cpp xls/xlsreader.cpp
// fuzz-sources: xls/xlswriter.cpp indicatorworkbook.cpp
// fuzz-packages: freexl
#include "indicatorworkbook.h"
#include "xls/xlsreader.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

// FreeXL reads only from a path: each input goes to the same file in a private folder.
const QString& inputPath()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("input.xls"));
    return path;
}

// A cell is decoded into these; touching every field makes the sanitizers look at them.
size_t consume(const corvane::xls::ReadCell& cell)
{
    return size_t(cell.type) + size_t(cell.text.size()) + size_t(cell.date.isValid()) + size_t(cell.time.isValid())
           + size_t(cell.number == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        QFile file(inputPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    size_t sink = 0;
    corvane::xls::XlsReader reader;
    if (reader.open(inputPath())) {
        for (const QString& name : reader.sheetNames()) {
            if (!reader.selectSheet(name))
                continue;
            // A bounded corner of the sheet: the grid FreeXL built is what is under test,
            // not the time it takes to walk 65536 × 256 empty cells.
            for (int row = -1; row <= std::min(reader.rowCount(), 64); ++row)
                for (int col = -1; col <= std::min(reader.columnCount(), 8); ++col)
                    sink += consume(reader.cell(row, col));
        }
    }
    reader.close();
    QString error;
    for (const corvane::IndicatorRow& row : corvane::ReadIndicatorWorkbook(inputPath(), &error))
        sink += size_t(row.name.size()) + size_t(row.date.isValid()) + size_t(row.time.isValid());
    return sink == size_t(-1) ? -1 : 0;
}
