#pragma once
// Lays out the first table of a page from the HTML parser's events as they come, holding
// nothing of the page but the grid: the page's document tree would take some forty times the
// page's size (a 5-MB page of 500,000 small cells took 185 MB), the grid only the cells kept.
#include "htmltable.h"

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The rules are readFirstTable()'s. Events come as the parser closes and opens elements, its
// implied ones included, so every element opened is closed before its parent, or not at all
// when the parser stopped early.
class FirstTableReader {
public:
    explicit FirstTableReader(int keepColumns);

    // `attributes`: name, value pairs ended by a null name (a value is null when the attribute
    // has none), or null. False when more than kMaxOpenElements would be open: the parser is to
    // stop there, as what lies deeper is not read.
    bool openElement(const char* name, const char* const* attributes);
    // Closes the element opened last and still open.
    void closeElement(const char* name);
    void addText(const char* text, int length);
    // Once the page has been read: the grid, with what the parser left open closed; nullopt
    // when the page opened no table.
    std::optional<TableGrid> finish();
    // Whether the page nested its elements too deep to be read to its end.
    bool tooDeep() const { return m_tooDeep; }

    // The parser's own limit when it builds a document (the root and 256 levels below it);
    // without one, a page of nothing but opening tags keeps the parser scanning a stack of a
    // million names at every closing tag.
    static constexpr int kMaxOpenElements = 257;

private:
    enum class Stage { BeforeTable, InTable, InRow, InCell, AfterTable };

    void openRow();
    void closeRow();
    void openCell(const char* const* attributes);
    void closeCell();
    // What lies inside the element just opened adds nothing to the grid.
    void skipSubtree() { m_skipDepth = m_depth; }

    int m_keepColumns;
    bool m_tooDeep = false;
    Stage m_stage = Stage::BeforeTable;
    int m_depth = 0; // elements open
    int m_tableDepth = 0;
    int m_rowDepth = 0;
    int m_cellDepth = 0;
    int m_skipDepth = 0; // when not 0: the depth of the element whose content is skipped
    TableGrid m_grid;
    // m_busyUntil[c]: the first row at which column c is no longer covered by a cell spanning
    // down from a row above.
    std::vector<int> m_busyUntil;
    QList<GridCell> m_row;
    int m_column = 0;     // where the row's next cell may go
    int m_cellColumn = 0; // where the open cell goes
    std::string m_text;   // the open cell's text as it came
};

} // namespace corvane
