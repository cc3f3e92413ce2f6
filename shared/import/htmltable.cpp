#include "htmltable.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

namespace {

// HTML's own limits for spans; rowspan 0 means "to the end of the table".
constexpr int kMaxColspan = 1000;
constexpr int kMaxRowspan = 65534;

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

struct ContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

// `tooDeep`, when given, tells whether the parser stopped at its nesting limit (what lies
// deeper, and after it, is then missing from the document).
DocPtr parseDocument(const QByteArray& utf8Html, bool* tooDeep = nullptr)
{
    if (tooDeep)
        *tooDeep = false;
    if (utf8Html.size() > INT_MAX)
        return {};
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(htmlNewParserCtxt());
    if (!context)
        return {};
    // The page was decoded to UTF-8 before it got here: the encoding given wins over any meta
    // tag the page still carries. NONET: a page never makes us fetch anything else.
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING
                        | HTML_PARSE_NONET | HTML_PARSE_COMPACT;
    DocPtr doc(
        htmlCtxtReadMemory(context.get(), utf8Html.constData(), int(utf8Html.size()), nullptr, "UTF-8", options));
    if (tooDeep) {
        const xmlError* error = xmlCtxtGetLastError(context.get());
        *tooDeep =
            error && error->code == XML_ERR_INTERNAL_ERROR && error->message && std::strstr(error->message, "depth");
    }
    return doc;
}

bool isElement(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && node->name
           && xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

bool isCellElement(const xmlNode* node) { return isElement(node, "td") || isElement(node, "th"); }

// Elements whose boundaries separate words in the cell's text (inline ones such as <span> or
// <b> do not: "21:30<b>ET</b>" stays "21:30ET").
bool separatesWords(const xmlNode* node)
{
    static const char* const names[] = {
        "br", "td", "th", "tr", "table", "caption", "thead", "tbody", "tfoot", "p", "div",
        "li", "ul", "ol", "dl", "dt", "dd", "h1", "h2", "h3", "h4", "h5", "h6", "hr",
        "blockquote", "pre", "address", "section", "article", "header", "footer", "nav"};
    for (const char* name : names)
        if (isElement(node, name))
            return true;
    return false;
}

// Pre-order walk of the subtree under root without recursion (pages can nest deeply).
// visit(node) returns whether to descend into node's children; leave(node) runs after them.
template <typename Visit, typename Leave>
void walkSubtree(xmlNode* root, Visit visit, Leave leave)
{
    xmlNode* node = root->children;
    while (node) {
        if (visit(node) && node->children) {
            node = node->children;
            continue;
        }
        leave(node);
        while (node && !node->next) {
            node = node->parent;
            if (node == root)
                return;
            leave(node);
        }
        if (node)
            node = node->next;
    }
}

void appendSpace(std::string& text) { text.push_back(' '); }

std::string rawCellText(xmlNode* cell)
{
    std::string text;
    walkSubtree(
        cell,
        [&](xmlNode* node) {
            if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
                if (node->content)
                    text.append(reinterpret_cast<const char*>(node->content));
                return false;
            }
            if (node->type != XML_ELEMENT_NODE)
                return false;
            if (isElement(node, "script") || isElement(node, "style"))
                return false;
            if (separatesWords(node))
                appendSpace(text);
            return true;
        },
        [&](xmlNode* node) {
            if (node->type == XML_ELEMENT_NODE && separatesWords(node))
                appendSpace(text);
        });
    return text;
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
        bool space = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f'
                     || ch == '\v';
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

GridCell makeCell(xmlNode* cellElement)
{
    const std::string text = collapseWhitespace(rawCellText(cellElement));
    GridCell cell;
    if (text.empty())
        return cell;
    cell.text = QString::fromUtf8(text.data(), qsizetype(text.size()));
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

// HTML's rules for parsing a non-negative integer: leading blanks, then digits; anything
// unreadable gives the fallback.
int spanAttribute(xmlNode* element, const char* name, int fallback, int maximum)
{
    xmlChar* raw = xmlGetProp(element, reinterpret_cast<const xmlChar*>(name));
    if (!raw)
        return fallback;
    const char* p = reinterpret_cast<const char*>(raw);
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f')
        ++p;
    int value = -1;
    if (*p == '+')
        ++p;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = std::min(maximum, (value < 0 ? 0 : value) * 10 + (*p - '0'));
    xmlFree(raw);
    return value < 0 ? fallback : value;
}

xmlNode* findFirstTable(xmlDoc* doc)
{
    xmlNode* root = xmlDocGetRootElement(doc);
    if (!root)
        return nullptr;
    if (isElement(root, "table"))
        return root;
    xmlNode* found = nullptr;
    walkSubtree(
        root,
        [&](xmlNode* node) {
            if (found)
                return false;
            if (isElement(node, "table")) {
                found = node;
                return false;
            }
            return node->type == XML_ELEMENT_NODE;
        },
        [](xmlNode*) {});
    return found;
}

// The table's own rows: <tr> below it, not inside a nested table.
std::vector<xmlNode*> tableRows(xmlNode* table)
{
    std::vector<xmlNode*> rows;
    walkSubtree(
        table,
        [&](xmlNode* node) {
            if (node->type != XML_ELEMENT_NODE || isElement(node, "table"))
                return false;
            if (isElement(node, "tr")) {
                rows.push_back(node);
                return false;
            }
            return !isCellElement(node);
        },
        [](xmlNode*) {});
    return rows;
}

std::vector<xmlNode*> rowCells(xmlNode* row)
{
    std::vector<xmlNode*> cells;
    walkSubtree(
        row,
        [&](xmlNode* node) {
            if (node->type != XML_ELEMENT_NODE || isElement(node, "table") || isElement(node, "tr"))
                return false;
            if (isCellElement(node)) {
                cells.push_back(node);
                return false;
            }
            return true;
        },
        [](xmlNode*) {});
    return cells;
}

TableGrid layOutGrid(xmlNode* table, int keepColumns)
{
    TableGrid grid;
    // busyUntil[c]: the first row at which column c is no longer covered by a cell spanning
    // down from a row above.
    std::vector<int> busyUntil(kGridMaxColumns, 0);
    int r = 0;
    for (xmlNode* rowElement : tableRows(table)) {
        if (r >= kGridMaxRows)
            break;
        QList<GridCell> row;
        int c = 0;
        for (xmlNode* cellElement : rowCells(rowElement)) {
            while (c < keepColumns && busyUntil[size_t(c)] > r)
                ++c;
            if (c >= keepColumns)
                break;
            const int colspan = std::max(1, spanAttribute(cellElement, "colspan", 1, kMaxColspan));
            int rowspan = spanAttribute(cellElement, "rowspan", 1, kMaxRowspan);
            if (rowspan == 0)
                rowspan = kMaxRowspan;
            const int end = std::min(keepColumns, c + colspan);
            for (int k = c; k < end; ++k)
                busyUntil[size_t(k)] = std::max(busyUntil[size_t(k)], r + rowspan);
            GridCell cell = makeCell(cellElement);
            if (!cell.isEmpty()) {
                if (row.size() <= c)
                    row.resize(c + 1);
                row[c] = std::move(cell);
            }
            c = end;
        }
        grid.rows.append(std::move(row));
        ++r;
    }
    return grid;
}

} // namespace

const GridCell& TableGrid::at(int row, int column) const
{
    static const GridCell empty;
    if (row < 0 || row >= rows.size() || column < 0)
        return empty;
    const QList<GridCell>& cells = rows[row];
    return column < cells.size() ? cells[column] : empty;
}

std::optional<TableGrid> readFirstTable(const QByteArray& utf8Html, int keepColumns, bool* tooDeep)
{
    const DocPtr doc = parseDocument(utf8Html, tooDeep);
    if (!doc)
        return std::nullopt;
    xmlNode* table = findFirstTable(doc.get());
    if (!table)
        return std::nullopt;
    return layOutGrid(table, std::clamp(keepColumns, 0, kGridMaxColumns));
}

bool parseHtmlOnly(const QByteArray& utf8Html) { return bool(parseDocument(utf8Html)); }

} // namespace corvane
