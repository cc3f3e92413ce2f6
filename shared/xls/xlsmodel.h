#pragma once
// What a workbook we write can hold: one worksheet of number and text cells, each with a
// cell format (number format, horizontal alignment, font colour, per-side borders, solid
// fill), column widths and default formats, merged ranges and panes frozen below a row.
// Colours are the spreadsheet's palette ColorIndex values (1-based; 2 white, 34 light
// turquoise, 35 light green, 36 light yellow); the writer stores them as the file wants.
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <map>
#include <utility>
#include <variant>

namespace corvane::xls {

enum class HAlign { General = 0, Left = 1, Centre = 2, Right = 3 };

// Line styles as the file numbers them.
enum class Line { None = 0, Thin = 1, Hair = 7 };

struct Borders {
    Line left = Line::None;
    Line right = Line::None;
    Line top = Line::None;
    Line bottom = Line::None;
    bool operator==(const Borders&) const = default;
};

inline constexpr int kAutomaticColour = 0;

struct CellFormat {
    // Empty is "General". Any other text is stored as a custom format, except the
    // spreadsheet's built-in "h:mm".
    QString numberFormat;
    HAlign align = HAlign::General;
    int fontColour = kAutomaticColour; // ColorIndex, or automatic
    int fillColour = kAutomaticColour; // ColorIndex of a solid fill, or none
    Borders borders;
    bool operator==(const CellFormat&) const = default;
};

// Number formats of the layouts. The date format carries the Japanese locale prefix so that
// every reader shows "aaa" as the Japanese weekday letter.
inline const QString kDateWithWeekdayFormat = QStringLiteral("[$-411]yyyy/m/d(aaa)");
inline const QString kHourMinuteFormat = QStringLiteral("h:mm");

using CellValue = std::variant<std::monostate, double, QString>;

struct Cell {
    CellValue value; // monostate: a formatted blank cell
    CellFormat format;
};

struct Column {
    double width = 0;  // the spreadsheet's ColumnWidth, in characters of the default font
    CellFormat format; // what empty cells of the column show
};

// Zero-based, inclusive.
struct Range {
    int firstRow = 0;
    int lastRow = 0;
    int firstCol = 0;
    int lastCol = 0;
    bool operator==(const Range&) const = default;
};

inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxCols = 256;

class Sheet {
public:
    explicit Sheet(QString name = {}) : m_name(std::move(name)) {}

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // Rows and columns count from 0. Out-of-range positions are ignored by the writer's
    // check (it refuses the workbook).
    void setNumber(int row, int col, double value, const CellFormat& format = {});
    void setText(int row, int col, const QString& text, const CellFormat& format = {});
    void setDate(int row, int col, const QDate& date, const CellFormat& format);
    void setTime(int row, int col, const QTime& time, const CellFormat& format);
    void setBlank(int row, int col, const CellFormat& format);
    // Changes only the format of a cell, keeping (or creating empty) its value.
    CellFormat& formatAt(int row, int col);
    const Cell* cellAt(int row, int col) const;

    void setColumn(int col, double width, const CellFormat& format = {});
    // Merges a range. On writing, every cell of it takes the top-left cell's format (as the
    // spreadsheet draws a merged range from one format) and only that cell keeps a value.
    void merge(const Range& range);
    // Rows 0 .. rows-1 stay on screen; 0 unfreezes.
    void freezeRows(int rows) { m_frozenRows = rows; }

    const std::map<std::pair<int, int>, Cell>& cells() const { return m_cells; }
    const std::map<int, Column>& columns() const { return m_columns; }
    const QList<Range>& merges() const { return m_merges; }
    int frozenRows() const { return m_frozenRows; }

private:
    QString m_name;
    std::map<std::pair<int, int>, Cell> m_cells; // (row, col), row-major
    std::map<int, Column> m_columns;
    QList<Range> m_merges;
    int m_frozenRows = 0;
};

// Serial numbers of the 1900 date system (day 1 = 1900-01-01, with the system's phantom
// 1900-02-29 counted, so dates from 1900-03-01 are days since 1899-12-30).
double dateSerial(const QDate& date);
double timeSerial(const QTime& time);
QDate dateFromSerial(double serial);

struct Workbook {
    Sheet sheet; // the layouts need one worksheet
    QString fontName = QStringLiteral("ＭＳ Ｐゴシック");
    int fontHeightTwips = 220; // 11 pt
};

} // namespace corvane::xls
