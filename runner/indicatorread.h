#pragma once
// The indicator workbook read on a thread of its own. Opening a big one takes seconds (every
// date cell is converted then, and a hand-made workbook may have 65,535 rows), and the runner's
// event loop, which answers close requests, must go on meanwhile.
#include <QList>
#include <QString>

#include "indicatorworkbook.h"

namespace corvane {

struct IndicatorWorkbookRead {
    QString path;
    QList<IndicatorRow> rows;
    QString error; // as ReadIndicatorWorkbook gives it
};

// Reads the workbook at `path` while the event loop runs (user input excepted). When the
// application is told to quit meanwhile, the event loop stops at once; the read itself cannot
// be broken off, so this returns when it ends, and the caller drops what it read.
IndicatorWorkbookRead readIndicatorWorkbookAnswering(const QString& path);

} // namespace corvane
