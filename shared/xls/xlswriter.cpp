#include "xls/xlswriter.h"

#include "xls/bytewriter.h"
#include "xls/cellrecords.h"
#include "xls/compoundfile.h"
#include "xls/formatrecords.h"
#include "xls/globalsrecords.h"
#include "xls/sstrecords.h"
#include "xls/viewrecords.h"

#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace corvane::xls {

namespace {

constexpr int kDigitWidthPixels = 8;
constexpr int kCellPaddingPixels = 5;
constexpr uint16_t kBuiltinHourMinute = 20;
constexpr uint16_t kFirstCustomFormat = 164;
constexpr int kRowsPerBlock = 32;
constexpr int kMaxTextLength = 32767;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool validSheetName(const QString& name)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    if (name.isEmpty() || name.size() > 31)
        return false;
    for (QChar c : name)
        if (forbidden.contains(c))
            return false;
    return true;
}

bool inGrid(int row, int col) { return row >= 0 && row < kMaxRows && col >= 0 && col < kMaxCols; }

struct CellFormatLess {
    bool operator()(const CellFormat& a, const CellFormat& b) const
    {
        const auto key = [](const CellFormat& f) {
            const Borders& d = f.borders;
            return std::tuple(int(f.align), f.fontColour, f.fillColour, int(d.left), int(d.right), int(d.top),
                              int(d.bottom));
        };
        if (key(a) != key(b))
            return key(a) < key(b);
        return a.numberFormat < b.numberFormat;
    }
};

// Fonts, number formats and XFs, numbered as the file numbers them.
class FormatTable {
public:
    explicit FormatTable(const Workbook& book) : m_book(book) {}

    uint16_t xfFor(const CellFormat& format)
    {
        if (format == CellFormat{})
            return kDefaultCellXf;
        const auto it = m_xfs.find(format);
        if (it != m_xfs.end())
            return it->second;
        const uint16_t index = uint16_t(kFirstUserXf + m_xfOrder.size());
        m_xfs.emplace(format, index);
        m_xfOrder.push_back(format);
        fontFor(format.fontColour);
        numberFormatFor(format.numberFormat);
        return index;
    }

    void write(ByteWriter& out)
    {
        const FontSpec base{m_book.fontName, uint16_t(m_book.fontHeightTwips), kIcvAutomaticFont};
        for (int i = 0; i < 4; ++i)
            writeFont(out, base);
        for (int colour : m_fontOrder)
            writeFont(out, FontSpec{base.name, base.heightTwips, icvFromColorIndex(colour)});
        for (size_t i = 0; i < m_formatOrder.size(); ++i)
            writeFormat(out, uint16_t(kFirstCustomFormat + i), m_formatOrder[i]);
        writeDefaultXfs(out);
        for (const CellFormat& format : m_xfOrder) {
            XfSpec xf;
            xf.font = fontFor(format.fontColour);
            xf.numberFormat = numberFormatFor(format.numberFormat);
            xf.align = format.align;
            xf.borders = format.borders;
            xf.fillIcv = format.fillColour == kAutomaticColour ? 0 : icvFromColorIndex(format.fillColour);
            writeXf(out, xf);
        }
    }

private:
    // Font 4 does not exist in the file: the first font of ours is number 5.
    uint16_t fontFor(int colour)
    {
        if (colour == kAutomaticColour)
            return 0;
        const auto it = std::find(m_fontOrder.begin(), m_fontOrder.end(), colour);
        const size_t position = size_t(it - m_fontOrder.begin());
        if (it == m_fontOrder.end())
            m_fontOrder.push_back(colour);
        return uint16_t(5 + position);
    }

    uint16_t numberFormatFor(const QString& format)
    {
        if (format.isEmpty())
            return 0;
        if (format == kHourMinuteFormat)
            return kBuiltinHourMinute;
        const auto it = std::find(m_formatOrder.begin(), m_formatOrder.end(), format);
        const size_t position = size_t(it - m_formatOrder.begin());
        if (it == m_formatOrder.end())
            m_formatOrder.push_back(format);
        return uint16_t(kFirstCustomFormat + position);
    }

    const Workbook& m_book;
    std::map<CellFormat, uint16_t, CellFormatLess> m_xfs;
    std::vector<CellFormat> m_xfOrder;
    std::vector<int> m_fontOrder;
    std::vector<QString> m_formatOrder;
};

struct PreparedCell {
    CellValue value;
    uint16_t xf = kDefaultCellXf;
    uint32_t sstIndex = 0;
};
using Grid = std::map<std::pair<int, int>, PreparedCell>;

// Merged ranges take their top-left cell's format everywhere and keep only its value.
std::map<std::pair<int, int>, Cell> withMergesApplied(const Sheet& sheet)
{
    std::map<std::pair<int, int>, Cell> cells = sheet.cells();
    for (const Range& range : sheet.merges()) {
        const auto topLeft = cells.find({range.firstRow, range.firstCol});
        const CellFormat format = topLeft == cells.end() ? CellFormat{} : topLeft->second.format;
        for (int r = range.firstRow; r <= range.lastRow; ++r)
            for (int c = range.firstCol; c <= range.lastCol; ++c) {
                Cell& cell = cells[{r, c}];
                cell.format = format;
                if (r != range.firstRow || c != range.firstCol)
                    cell.value = std::monostate{};
            }
    }
    return cells;
}

bool checkSheet(const Sheet& sheet, QString* error)
{
    if (!validSheetName(sheet.name())) {
        setError(error, QStringLiteral("シート名が不正です: %1").arg(sheet.name()));
        return false;
    }
    for (const auto& [position, cell] : sheet.cells())
        if (!inGrid(position.first, position.second)) {
            setError(error, QStringLiteral("セルの位置が範囲外です"));
            return false;
        }
    for (const auto& [col, column] : sheet.columns())
        if (!inGrid(0, col) || !std::isfinite(column.width) || column.width < 0) {
            setError(error, QStringLiteral("列の設定が不正です"));
            return false;
        }
    for (const Range& r : sheet.merges())
        if (!inGrid(r.firstRow, r.firstCol) || !inGrid(r.lastRow, r.lastCol) || r.firstRow > r.lastRow
            || r.firstCol > r.lastCol) {
            setError(error, QStringLiteral("結合範囲が不正です"));
            return false;
        }
    if (sheet.frozenRows() < 0 || sheet.frozenRows() >= kMaxRows) {
        setError(error, QStringLiteral("固定する行数が不正です"));
        return false;
    }
    return true;
}

void writeCell(ByteWriter& out, int row, int col, const PreparedCell& cell)
{
    const auto r = uint16_t(row);
    const auto c = uint16_t(col);
    if (const double* number = std::get_if<double>(&cell.value))
        writeNumber(out, r, c, cell.xf, *number);
    else if (std::holds_alternative<QString>(cell.value))
        writeLabelSst(out, r, c, cell.xf, cell.sstIndex);
    else
        writeBlank(out, r, c, cell.xf);
}

void writeSheetStream(ByteWriter& out, const Sheet& sheet, const Grid& grid, const std::map<int, uint16_t>& columnXfs)
{
    writeBof(out, BofType::Worksheet);
    writeWsBool(out);
    for (const auto& [col, column] : sheet.columns())
        writeColInfo(out, uint16_t(col), uint16_t(col), columnWidthUnits(column.width), columnXfs.at(col));

    int firstRow = kMaxRows, lastRow = -1, firstCol = kMaxCols, lastCol = -1;
    std::map<int, std::pair<int, int>> rowSpans;
    for (const auto& [position, cell] : grid) {
        const auto [row, col] = position;
        firstRow = std::min(firstRow, row);
        lastRow = std::max(lastRow, row);
        firstCol = std::min(firstCol, col);
        lastCol = std::max(lastCol, col);
        auto [span, added] = rowSpans.try_emplace(row, col, col);
        span->second.first = std::min(span->second.first, col);
        span->second.second = std::max(span->second.second, col);
    }
    if (lastRow < 0)
        writeDimensions(out, 0, 0, 0, 0);
    else
        writeDimensions(out, uint32_t(firstRow), uint32_t(lastRow + 1), uint16_t(firstCol), uint16_t(lastCol + 1));

    // Rows go in blocks of 32: the block's ROW records, then its cells, as the format lays
    // them out.
    auto cellIt = grid.begin();
    auto rowIt = rowSpans.begin();
    while (rowIt != rowSpans.end()) {
        const int blockEnd = (rowIt->first / kRowsPerBlock + 1) * kRowsPerBlock;
        for (auto it = rowIt; it != rowSpans.end() && it->first < blockEnd; ++it)
            writeRow(out, uint16_t(it->first), uint16_t(it->second.first), uint16_t(it->second.second + 1));
        while (rowIt != rowSpans.end() && rowIt->first < blockEnd)
            ++rowIt;
        for (; cellIt != grid.end() && cellIt->first.first < blockEnd; ++cellIt)
            writeCell(out, cellIt->first.first, cellIt->first.second, cellIt->second);
    }

    writeWindow2(out, sheet.frozenRows());
    writePane(out, sheet.frozenRows());
    writeSelection(out, sheet.frozenRows());
    writeMergedCells(out, sheet.merges());
    writeEof(out);
}

} // namespace

uint16_t columnWidthUnits(double characters)
{
    if (!(characters > 0))
        return 0;
    const double units = std::trunc((characters * kDigitWidthPixels + kCellPaddingPixels) / kDigitWidthPixels * 256);
    return uint16_t(std::min(units, 65535.0));
}

QByteArray buildWorkbook(const Workbook& workbook, QString* error)
{
    const Sheet& sheet = workbook.sheet;
    if (!checkSheet(sheet, error))
        return {};

    FormatTable formats(workbook);
    StringTable strings;
    Grid grid;
    for (const auto& [position, cell] : withMergesApplied(sheet)) {
        PreparedCell prepared{cell.value, formats.xfFor(cell.format), 0};
        if (const QString* text = std::get_if<QString>(&cell.value); text && text->isEmpty()) {
            prepared.value = std::monostate{}; // as the spreadsheet stores "": a blank (FreeXL rejects "" in the SST)
        } else if (text) {
            prepared.value = cutAtWholeCharacter(*text, kMaxTextLength);
            prepared.sstIndex = strings.add(std::get<QString>(prepared.value));
        } else if (const double* number = std::get_if<double>(&cell.value); number && !std::isfinite(*number)) {
            prepared.value = std::monostate{}; // the format has no NaN or infinity
        }
        grid.emplace(position, prepared);
    }
    std::map<int, uint16_t> columnXfs;
    for (const auto& [col, column] : sheet.columns())
        columnXfs[col] = formats.xfFor(column.format);

    ByteWriter stream;
    writeBof(stream, BofType::Globals);
    writeCodePage(stream);
    writeWindow1(stream);
    writeDateMode(stream);
    formats.write(stream);
    writeNormalStyle(stream);
    const int sheetOffsetField = writeBoundSheet(stream, sheet.name());
    writeSst(stream, strings);
    writeEof(stream);

    stream.patchU32(sheetOffsetField, uint32_t(stream.size()));
    writeSheetStream(stream, sheet, grid, columnXfs);

    return buildCompoundFile(stream.data(), QStringLiteral("Workbook"), error);
}

bool saveWorkbook(const Workbook& workbook, const QString& path, QString* error)
{
    const QByteArray bytes = buildWorkbook(workbook, error);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        setError(error, QStringLiteral("ファイルを保存できません: %1 (%2)").arg(path, file.errorString()));
        return false;
    }
    return true;
}

} // namespace corvane::xls
