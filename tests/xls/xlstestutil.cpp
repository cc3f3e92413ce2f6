#include "xlstestutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace corvane::test {

QJsonObject xlrdDump(const QString& path, QString* error)
{
    QProcess python;
    python.start(QStringLiteral(CORVANE_PYTHON), {QStringLiteral(CORVANE_TESTS_DIR "/xls/xlsdump.py"), path});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        *error = QString::fromUtf8(python.readAllStandardError());
        return {};
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(python.readAllStandardOutput(), &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = parse.errorString();
        return {};
    }
    return doc.object();
}

QJsonObject dumpedCell(const QJsonObject& dump, int row, int col)
{
    const QJsonArray cells =
        dump[QStringLiteral("sheets")].toArray().first().toObject()[QStringLiteral("cells")].toArray();
    for (const QJsonValue& value : cells) {
        const QJsonObject cell = value.toObject();
        if (cell[QStringLiteral("row")].toInt() == row && cell[QStringLiteral("col")].toInt() == col)
            return cell;
    }
    return {};
}

xls::Workbook featureWorkbook()
{
    using namespace xls;
    Workbook book;
    Sheet& s = book.sheet;
    s.setName(QStringLiteral("表示予定"));
    const Borders all{Line::Thin, Line::Thin, Line::Thin, Line::Thin};

    CellFormat heading;
    heading.align = HAlign::Centre;
    heading.borders = all;
    heading.fillColour = 35;
    s.setText(0, 0, QStringLiteral("corvane 表示予定"), heading);
    s.merge({0, 0, 0, 5});
    heading.fillColour = 36;
    s.setText(1, 0, QStringLiteral("定例分"), heading);
    s.merge({1, 1, 0, 2});
    heading.fillColour = 34;
    s.setText(1, 3, QStringLiteral("指定日分"), heading);
    s.merge({1, 1, 3, 5});

    CellFormat centred;
    centred.align = HAlign::Centre;
    CellFormat left;
    left.align = HAlign::Left;
    CellFormat time = centred;
    time.numberFormat = kHourMinuteFormat;
    CellFormat date = centred;
    date.numberFormat = kDateWithWeekdayFormat;
    s.setColumn(0, 8.5, centred);
    s.setColumn(1, 8.5, time);
    s.setColumn(2, 50, left);
    s.setColumn(3, 16, date);
    s.setColumn(4, 8.5, time);
    s.setColumn(5, 50, left);

    CellFormat label = centred;
    label.borders = {Line::Thin, Line::Hair, Line::Thin, Line::Thin};
    s.setText(2, 0, QStringLiteral("月曜日"), label);
    CellFormat t = time;
    t.borders = {Line::Hair, Line::Hair, Line::Thin, Line::Hair};
    s.setTime(2, 1, QTime(9, 0), t);
    CellFormat text = left;
    text.borders = {Line::Hair, Line::Thin, Line::Thin, Line::Hair};
    s.setText(2, 2, QStringLiteral("朝会 ①②"), text);
    CellFormat white = date;
    white.fontColour = 2;
    s.setDate(2, 3, QDate(2024, 1, 15), white);
    s.setTime(2, 4, QTime(23, 59), time);
    s.setText(2, 5, QString(300, QChar(u'長')), left);
    CellFormat right;
    right.align = HAlign::Right;
    s.setNumber(3, 1, 12345.5, right);
    s.setNumber(3, 2, -0.25);
    s.setBlank(4, 0, label);
    s.setText(60, 0, QStringLiteral("遠い行"));
    s.freezeRows(2);
    return book;
}

} // namespace corvane::test
