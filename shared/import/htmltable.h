#pragma once
// The first table of an HTML page laid out as a spreadsheet web query lays it out: a grid in
// which a cell spanning several rows or columns occupies all of its positions while its value
// stands in the top-left one only.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace corvane {

struct GridCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    QString text;      // the cell's text, whitespace collapsed (also set for numbers)
    double number = 0; // the value when kind is Number

    bool isEmpty() const { return kind == Kind::Empty; }
    bool operator==(const GridCell&) const = default;
};

class TableGrid {
public:
    // Rows in table order; a row's list ends at its last valued cell, so rows differ in length.
    QList<QList<GridCell>> rows;

    int rowCount() const { return int(rows.size()); }
    // The cell at (row, column), both from 0; an empty cell outside the grid.
    const GridCell& at(int row, int column) const;
};

// Grid bounds: a worksheet has 65536 rows and 256 columns; what falls outside is dropped, so
// a hostile page cannot make the grid grow without limit.
inline constexpr int kGridMaxRows = 65536;
inline constexpr int kGridMaxColumns = 256;

// Reads the first <table> element (in document order) of a UTF-8 HTML document with libxml2's
// tolerant HTML parser, without network access. Rows are the table's own <tr> elements (also
// inside <thead>/<tbody>/<tfoot>), cells their <td>/<th>. A table nested in a cell counts as
// that cell's text. Cell text: <br> and element boundaries become spaces, whitespace runs
// (including no-break spaces) collapse to one space, ends trimmed, script and style ignored. A
// cell whose text is a plain decimal number ("5", "-1.25") is a Number.
// Only the first `keepColumns` columns are kept (cells further right cannot move those), so a
// caller that needs a few columns holds no more than them however wide the rows are.
// The page is read as it is parsed: nothing of it but the grid is held, however many elements
// it has. Element names with a prefix ("o:p") are read by the name after the first colon.
// nullopt when the page has no table. `tooDeep`, when given, is set when the page nests its
// elements deeper than the parser follows (256 levels): what lies beyond was not read.
std::optional<TableGrid> readFirstTable(const QByteArray& utf8Html, int keepColumns = kGridMaxColumns,
                                        bool* tooDeep = nullptr);

// The same parse without building a grid: the cost of libxml2 reading the page (benchmarks).
void parseHtmlOnly(const QByteArray& utf8Html);

} // namespace corvane
