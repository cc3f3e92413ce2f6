#include "htmltable.h"

#include "firsttablereader.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace corvane {

namespace {

struct ContextFree {
    void operator()(htmlParserCtxt* context) const { htmlFreeParserCtxt(context); }
};

// The parser hands its own context to each event; the reader rides in its private field.
FirstTableReader& readerOf(void* context)
{
    return *static_cast<FirstTableReader*>(static_cast<htmlParserCtxt*>(context)->_private);
}

const char* chars(const xmlChar* text) { return reinterpret_cast<const char*>(text); }

void onOpen(void* context, const xmlChar* name, const xmlChar** attributes)
{
    if (!readerOf(context).openElement(chars(name), reinterpret_cast<const char* const*>(attributes)))
        xmlStopParser(static_cast<htmlParserCtxt*>(context));
}

void onClose(void* context, const xmlChar* name) { readerOf(context).closeElement(chars(name)); }

void onText(void* context, const xmlChar* text, int length) { readerOf(context).addText(chars(text), length); }

// The page handed to the parser a piece at a time: given all at once, it keeps a copy of the
// whole page (and room to spare) until it is done.
struct PageSource {
    const QByteArray& page;
    qsizetype offset = 0;
};

int readPiece(void* context, char* buffer, int length)
{
    PageSource& source = *static_cast<PageSource*>(context);
    const qsizetype piece = std::min<qsizetype>(length, source.page.size() - source.offset);
    std::memcpy(buffer, source.page.constData() + source.offset, size_t(piece));
    source.offset += piece;
    return int(piece);
}

// Reads the page with libxml2's HTML parser, handing its events to `reader` (to none when
// null) instead of building a document: what the page holds is seen once and let go.
void parsePage(const QByteArray& utf8Html, FirstTableReader* reader)
{
    const std::unique_ptr<htmlParserCtxt, ContextFree> context(htmlNewParserCtxt());
    if (!context)
        return;
    // The context's own handlers build a document; none of them is kept.
    htmlSAXHandler* events = context->sax;
    *events = htmlSAXHandler{};
    if (reader) {
        context->_private = reader;
        events->startElement = onOpen;
        events->endElement = onClose;
        // Also the content of <script> and <style>, which the reader skips.
        events->characters = onText;
    }
    // The page was decoded to UTF-8 before it got here: the encoding given wins over any meta
    // tag the page still carries. NONET: a page never makes us fetch anything else.
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    PageSource source{utf8Html};
    // Nothing builds a document, so none comes back.
    htmlCtxtReadIO(context.get(), readPiece, nullptr, &source, nullptr, "UTF-8", options);
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
    FirstTableReader reader(keepColumns);
    parsePage(utf8Html, &reader);
    if (tooDeep)
        *tooDeep = reader.tooDeep();
    return reader.finish();
}

void parseHtmlOnly(const QByteArray& utf8Html) { parsePage(utf8Html, nullptr); }

} // namespace corvane
