#include "firsttablereader.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <utility>

namespace corvane {

namespace {

// HTML's own limits for spans; rowspan 0 means "to the end of the table".
constexpr int kMaxColspan = 1000;
constexpr int kMaxRowspan = 65534;

// "o:p" (as office programs write) is read as "p", "x:y:p" as "y:p": the name after the first
// colon, as a document tree names such an element.
const char* localName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool is(const char* name, const char* wanted) { return qstricmp(name, wanted) == 0; }

bool isCell(const char* name) { return is(name, "td") || is(name, "th"); }

// Elements whose boundaries separate words in the cell's text (inline ones such as <span> or
// <b> do not: "21:30<b>ET</b>" stays "21:30ET").
bool separatesWords(const char* name)
{
    static const char* const names[] = {
        "br", "td", "th",         "tr",  "table",   "caption", "thead",   "tbody",  "tfoot",  "p",  "div",
        "li", "ul", "ol",         "dl",  "dt",      "dd",      "h1",      "h2",     "h3",     "h4", "h5",
        "h6", "hr", "blockquote", "pre", "address", "section", "article", "header", "footer", "nav"};
    for (const char* separating : names)
        if (is(name, separating))
            return true;
    return false;
}

// Collapses runs of HTML white space and no-break spaces (U+00A0, bytes C2 A0) to one blank
// and trims both ends.
std::string collapseWhitespace(const std::string& in)
{
    std::string out;
    out.reserve(in.size());
    bool pendingSpace = false;
    for (size_t i = 0; i < in.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(in[i]);
        bool space = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\v';
        if (!space && ch == 0xC2 && i + 1 < in.size() && static_cast<unsigned char>(in[i + 1]) == 0xA0) {
            space = true;
            ++i;
        }
        if (space) {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace)
            out.push_back(' ');
        pendingSpace = false;
        out.push_back(char(ch));
    }
    return out;
}

// "5", "-12", "+3.75": an optional sign, digits, an optional fraction. Nothing else (no
// grouping commas, no exponent, no full-width digits).
bool isPlainNumber(const std::string& text)
{
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    const size_t digitsStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    if (i == digitsStart)
        return false;
    if (i < text.size() && text[i] == '.') {
        const size_t fractionStart = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == fractionStart)
            return false;
    }
    return i == text.size();
}

GridCell makeCell(const std::string& rawText)
{
    const std::string text = collapseWhitespace(rawText);
    GridCell cell;
    if (text.empty())
        return cell;
    cell.text = QString::fromUtf8(text.data(), qsizetype(text.size()));
    // Sized for the UTF-8 bytes, three times what Japanese text takes: a page of many cells
    // would hold the difference until the import ends.
    cell.text.squeeze();
    if (isPlainNumber(text)) {
        bool ok = false;
        const double value = cell.text.toDouble(&ok);
        if (ok) {
            cell.kind = GridCell::Kind::Number;
            cell.number = value;
            return cell;
        }
    }
    cell.kind = GridCell::Kind::Text;
    return cell;
}

// HTML's rules for parsing a non-negative integer: leading blanks, then digits; a missing or
// unreadable value gives the fallback. The parser gives attribute names in lower case.
int spanAttribute(const char* const* attributes, const char* name, int fallback, int maximum)
{
    const char* p = nullptr;
    for (; attributes && attributes[0]; attributes += 2) {
        if (std::strcmp(attributes[0], name) == 0) {
            p = attributes[1];
            break;
        }
    }
    if (!p)
        return fallback;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f')
        ++p;
    int value = -1;
    if (*p == '+')
        ++p;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = std::min(maximum, (value < 0 ? 0 : value) * 10 + (*p - '0'));
    return value < 0 ? fallback : value;
}

} // namespace

FirstTableReader::FirstTableReader(int keepColumns)
    : m_keepColumns(std::clamp(keepColumns, 0, kGridMaxColumns)), m_busyUntil(kGridMaxColumns, 0)
{
}

bool FirstTableReader::openElement(const char* name, const char* const* attributes)
{
    ++m_depth;
    if (m_depth > kMaxOpenElements) {
        m_tooDeep = true;
        return false;
    }
    if (m_skipDepth)
        return true;
    name = localName(name);
    switch (m_stage) {
    case Stage::BeforeTable:
        if (is(name, "table")) {
            m_stage = Stage::InTable;
            m_tableDepth = m_depth;
        }
        return true;
    case Stage::InTable:
        // The table's own rows: not those of a nested table, nor any inside a cell. A row past
        // the worksheet's last is read as no row: its cells are cells outside a row.
        if (is(name, "tr") && m_grid.rowCount() < kGridMaxRows)
            openRow();
        else if (is(name, "table") || isCell(name))
            skipSubtree();
        return true;
    case Stage::InRow:
        // The row's own cells: not those of a row or table inside it.
        if (isCell(name))
            openCell(attributes);
        else if (is(name, "table") || is(name, "tr"))
            skipSubtree();
        return true;
    case Stage::InCell:
        if (is(name, "script") || is(name, "style"))
            skipSubtree();
        else if (separatesWords(name))
            m_text.push_back(' ');
        return true;
    case Stage::AfterTable:
        break;
    }
    return true;
}

void FirstTableReader::closeElement(const char* name)
{
    name = localName(name);
    if (m_skipDepth) {
        if (m_depth == m_skipDepth)
            m_skipDepth = 0;
    } else if (m_stage == Stage::InCell) {
        if (m_depth == m_cellDepth)
            closeCell();
        else if (separatesWords(name))
            m_text.push_back(' ');
    } else if (m_stage == Stage::InRow && m_depth == m_rowDepth) {
        closeRow();
    } else if (m_stage == Stage::InTable && m_depth == m_tableDepth) {
        m_stage = Stage::AfterTable;
    }
    --m_depth;
}

void FirstTableReader::addText(const char* text, int length)
{
    if (m_stage == Stage::InCell && !m_skipDepth)
        m_text.append(text, size_t(length));
}

std::optional<TableGrid> FirstTableReader::finish()
{
    if (m_stage == Stage::InCell)
        closeCell();
    if (m_stage == Stage::InRow)
        closeRow();
    if (m_stage == Stage::BeforeTable)
        return std::nullopt;
    return std::move(m_grid);
}

void FirstTableReader::openRow()
{
    m_stage = Stage::InRow;
    m_rowDepth = m_depth;
    m_column = 0;
}

void FirstTableReader::closeRow()
{
    m_row.squeeze(); // a row grows a cell at a time: its spare room would stay with the grid
    m_grid.rows.append(std::exchange(m_row, {}));
    m_stage = Stage::InTable;
}

void FirstTableReader::openCell(const char* const* attributes)
{
    const int r = m_grid.rowCount();
    while (m_column < m_keepColumns && m_busyUntil[size_t(m_column)] > r)
        ++m_column;
    // Cells further right cannot move the kept ones: they are not read at all.
    if (m_column >= m_keepColumns) {
        skipSubtree();
        return;
    }
    const int colspan = std::max(1, spanAttribute(attributes, "colspan", 1, kMaxColspan));
    int rowspan = spanAttribute(attributes, "rowspan", 1, kMaxRowspan);
    if (rowspan == 0)
        rowspan = kMaxRowspan;
    const int end = std::min(m_keepColumns, m_column + colspan);
    for (int k = m_column; k < end; ++k)
        m_busyUntil[size_t(k)] = std::max(m_busyUntil[size_t(k)], r + rowspan);
    m_cellColumn = m_column;
    m_column = end;
    m_stage = Stage::InCell;
    m_cellDepth = m_depth;
    m_text.clear();
}

void FirstTableReader::closeCell()
{
    GridCell cell = makeCell(m_text);
    if (!cell.isEmpty()) {
        if (m_row.size() <= m_cellColumn)
            m_row.resize(m_cellColumn + 1);
        m_row[m_cellColumn] = std::move(cell);
    }
    m_stage = Stage::InRow;
}

} // namespace corvane
