// The first-table grid: placement of spanning cells, cell text, numbers, nesting, bad markup.
#include "import/firsttablereader.h"
#include "import/htmltable.h"

#include <gtest/gtest.h>

using corvane::FirstTableReader;
using corvane::GridCell;
using corvane::kGridMaxColumns;
using corvane::readFirstTable;
using corvane::TableGrid;

namespace {

TableGrid grid(const char* html)
{
    const std::optional<TableGrid> g = readFirstTable(QByteArray(html));
    EXPECT_TRUE(g.has_value()) << html;
    return g.value_or(TableGrid{});
}

QString text(const TableGrid& g, int r, int c) { return g.at(r, c).text; }

} // namespace

TEST(HtmlTableGrid, SpanningCellsOccupyTheirPositionsWithTheValueTopLeftOnly)
{
    const TableGrid g = grid("<table>"
                             "<tr><td rowspan=3>5</td><td colspan=2>a</td><td>b</td></tr>"
                             "<tr><td>c</td><td rowspan=2 colspan=2>d</td></tr>"
                             "<tr><td>e</td></tr>"
                             "<tr><td>f</td><td>g</td><td>h</td><td>i</td></tr>"
                             "</table>");
    ASSERT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.at(0, 0).number, 5);
    EXPECT_EQ(text(g, 0, 1), "a");
    EXPECT_TRUE(g.at(0, 2).isEmpty());
    EXPECT_EQ(text(g, 0, 3), "b");
    // Row 2: column 0 is taken by the day cell above.
    EXPECT_TRUE(g.at(1, 0).isEmpty());
    EXPECT_EQ(text(g, 1, 1), "c");
    EXPECT_EQ(text(g, 1, 2), "d");
    EXPECT_TRUE(g.at(1, 3).isEmpty());
    // Row 3: columns 0, 2 and 3 are covered, so "e" lands in column 1.
    EXPECT_TRUE(g.at(2, 0).isEmpty());
    EXPECT_EQ(text(g, 2, 1), "e");
    EXPECT_TRUE(g.at(2, 2).isEmpty());
    EXPECT_TRUE(g.at(2, 3).isEmpty());
    EXPECT_EQ(text(g, 3, 0), "f");
    EXPECT_EQ(text(g, 3, 3), "i");
}

TEST(HtmlTableGrid, OddSpanValuesStayBounded)
{
    const TableGrid g = grid("<table>"
                             "<tr><td rowspan=0>x</td><td colspan=99999>wide</td><td>dropped</td></tr>"
                             "<tr><td rowspan='abc' colspan='-3'>y</td><td colspan=' 2 '>z</td><td>w</td></tr>"
                             "<tr><td>q</td></tr>"
                             "</table>");
    ASSERT_EQ(g.rowCount(), 3);
    EXPECT_EQ(text(g, 0, 1), "wide");
    EXPECT_EQ(g.rows[0].size(), 2) << "a cell beyond the last column is dropped";
    // rowspan=0 keeps column 0 for the rest of the table; unreadable spans count as 1.
    EXPECT_EQ(text(g, 1, 1), "y");
    EXPECT_EQ(text(g, 1, 2), "z");
    EXPECT_EQ(text(g, 1, 4), "w");
    EXPECT_EQ(text(g, 2, 1), "q");
}

TEST(HtmlTableGrid, CellTextIsCollapsedWithLineBreaksAsSpaces)
{
    const TableGrid g = grid("<table><tr>"
                             "<td>  14:00<br>景気\n\t ウォッチャー&nbsp;&nbsp;調査 </td>"
                             "<td>21:30<b>ET</b> <a href='#'>米国</a></td>"
                             "<td><p>上</p><p>下</p></td>"
                             "<td>a<script>var x = '<td>';</script>b<style>td{}</style></td>"
                             "<td>&amp;&lt;&#x3042;</td>"
                             "<td> \n </td>"
                             "</tr></table>");
    EXPECT_EQ(text(g, 0, 0), "14:00 景気 ウォッチャー 調査");
    EXPECT_EQ(text(g, 0, 1), "21:30ET 米国");
    EXPECT_EQ(text(g, 0, 2), "上 下");
    EXPECT_EQ(text(g, 0, 3), "ab");
    EXPECT_EQ(text(g, 0, 4), "&<あ");
    EXPECT_TRUE(g.at(0, 5).isEmpty());
    // An office program's <o:p> is a paragraph; a block's end parts words as its start does.
    EXPECT_EQ(text(grid("<table><tr><td>上<o:p>中</o:p>下</td></tr></table>"), 0, 0), "上 中 下");
    EXPECT_EQ(text(grid("<table><tr><td><div>左</div>右</td></tr></table>"), 0, 0), "左 右");
}

TEST(HtmlTableGrid, PlainNumbersBecomeNumbersAndNothingElseDoes)
{
    const TableGrid g = grid("<table><tr><td>05</td><td>-1.25</td><td>+3</td><td>1,234</td><td>5日</td>"
                             "<td>1e3</td><td>５</td><td>3.</td><td> 31 </td></tr></table>");
    const auto kind = [&](int c) { return g.at(0, c).kind; };
    EXPECT_EQ(kind(0), GridCell::Kind::Number);
    EXPECT_EQ(g.at(0, 0).number, 5);
    EXPECT_EQ(g.at(0, 0).text, "05");
    EXPECT_EQ(g.at(0, 1).number, -1.25);
    EXPECT_EQ(g.at(0, 2).number, 3);
    for (int c : {3, 4, 5, 6, 7})
        EXPECT_EQ(kind(c), GridCell::Kind::Text) << c;
    EXPECT_EQ(g.at(0, 8).number, 31);
}

TEST(HtmlTableGrid, NestedTablesAreTheirCellsTextAndAddNoRows)
{
    const TableGrid g = grid("<div><table id=outer>"
                             "<tr><td>1</td><td>13:00 <table><tr><td>機械受注</td><td>（船舶を除く）</td></tr>"
                             "<tr><td>次の行</td></tr></table></td><td>c</td></tr>"
                             "<tr><td>2</td></tr>"
                             "</table></div>");
    ASSERT_EQ(g.rowCount(), 2);
    EXPECT_EQ(text(g, 0, 1), "13:00 機械受注 （船舶を除く） 次の行");
    EXPECT_EQ(text(g, 0, 2), "c");
    EXPECT_EQ(g.at(1, 0).number, 2);
}

TEST(HtmlTableGrid, OnlyTheTablesOwnRowsAndTheirOwnCellsAreRead)
{
    struct Case {
        const char* html;
        QList<QStringList> rows;
    };
    const Case cases[] = {
        {"<table><table><tr><td>inner</td></tr></table><tr><td>a</td><td>b</td></tr></table>", {{"a", "b"}}},
        {"<table><td>stray<div><tr><td>x</td></tr></div></td><tr><td>1</td></tr></table>", {{"1"}}},
        {"<table><tr><td>1</td><table><td>2</td></table><td>3</td></tr></table>", {{"1", "3"}}},
        {"<table><tr><td>1</td><div><tr><td>2</td></tr></div></tr></table>", {{"1"}}},
    };
    for (const Case& c : cases) {
        const TableGrid g = grid(c.html);
        QList<QStringList> rows;
        for (const QList<GridCell>& row : g.rows) {
            QStringList texts;
            for (const GridCell& cell : row)
                texts.append(cell.text);
            rows.append(texts);
        }
        EXPECT_EQ(rows, c.rows) << c.html;
    }
    // A worksheet's rows, and no more.
    const QByteArray tall = "<table>" + QByteArray("<tr><td>1").repeated(corvane::kGridMaxRows + 1);
    EXPECT_EQ(grid(tall.constData()).rowCount(), corvane::kGridMaxRows);
}

TEST(HtmlTableGrid, OnlyTheFirstTableInDocumentOrderIsRead)
{
    const TableGrid g = grid("<p>before</p><table><thead><tr><th>日付</th></tr></thead>"
                             "<tbody><tr><td>1</td></tr></tbody><tfoot><tr><td>計</td></tr></tfoot></table>"
                             "<table><tr><td>second</td></tr></table>");
    ASSERT_EQ(g.rowCount(), 3);
    EXPECT_EQ(text(g, 0, 0), "日付");
    EXPECT_EQ(text(g, 2, 0), "計");
}

TEST(HtmlTableGrid, BrokenMarkupIsRecovered)
{
    // Unclosed cells and rows, stray text between rows, an unclosed table at the end.
    const TableGrid g = grid("<table><tr><td>1<td>x<td>08:50 GDP\nstray<tr><td>2<td><td>09:00 a");
    ASSERT_EQ(g.rowCount(), 2);
    EXPECT_EQ(text(g, 0, 2).left(9), "08:50 GDP");
    EXPECT_EQ(g.at(1, 0).number, 2);
    EXPECT_EQ(text(g, 1, 2), "09:00 a");
}

TEST(HtmlTableGrid, APageWithoutATableHasNoGrid)
{
    EXPECT_FALSE(readFirstTable("<html><body><p>08:50 GDP</p></body></html>").has_value());
    EXPECT_FALSE(readFirstTable("").has_value());
    EXPECT_FALSE(readFirstTable(QByteArray("\0\0\0", 3)).has_value());
    // An empty table is a table with no rows.
    const std::optional<TableGrid> empty = readFirstTable("<table></table>");
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->rowCount(), 0);
}

TEST(HtmlTableGrid, DeeplyNestedMarkupDoesNotExhaustTheStack)
{
    QByteArray html = "<table><tr><td>";
    for (int i = 0; i < 20000; ++i)
        html += "<div><span>";
    html += "08:50 x";
    const std::optional<TableGrid> g = readFirstTable(html);
    ASSERT_TRUE(g.has_value());

    // Up to 257 open elements (html, body, table, tr, td and 252 more) the page is read whole.
    for (const int divs : {252, 253}) {
        bool tooDeep = false;
        const std::optional<TableGrid> d = readFirstTable(
            "<table><tr><td>a" + QByteArray("<div>").repeated(divs) + "x</td><td>y", kGridMaxColumns, &tooDeep);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(tooDeep, divs == 253) << divs;
        EXPECT_EQ(text(*d, 0, 0), divs == 253 ? "a" : "a x") << divs;
    }
}

TEST(HtmlTableGrid, WhatTheParserLeftOpenIsClosedAtTheEnd)
{
    FirstTableReader reader(kGridMaxColumns);
    for (const char* name : {"html", "body", "table", "tr", "td"})
        reader.openElement(name, nullptr);
    reader.addText("08:50 GDP", 9);
    const std::optional<TableGrid> g = reader.finish();
    ASSERT_TRUE(g.has_value());
    ASSERT_EQ(g->rowCount(), 1);
    EXPECT_EQ(text(*g, 0, 0), "08:50 GDP");
}
