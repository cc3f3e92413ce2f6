// Writes an indicator workbook of ROWS releases on DATE (yyyy-mm-dd), for the runner's
// start-up figures with a full indicator day.
// Usage: write_indicator_workbook PATH DATE ROWS
#include "indicatorworkbook.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fputs("usage: write_indicator_workbook PATH DATE ROWS\n", stderr);
        return 2;
    }
    const QDate date = QDate::fromString(args[2], Qt::ISODate);
    const int count = args[3].toInt();
    QList<corvane::IndicatorRow> rows;
    for (int i = 0; i < count; ++i)
        rows.append({date, QTime((i * 7) % 24, (i * 13) % 60), QStringLiteral("経済指標の発表その%1").arg(i)});
    QString error;
    if (!corvane::WriteIndicatorWorkbook(args[1], rows, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
