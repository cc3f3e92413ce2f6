// corvane_import: the runner's indicator calendar import, in a process of its own. The runner
// starts it when an import is due and reads the outcome back: exit status 0 when the workbook
// was rebuilt and "作成日" stamped, 1 with the reason on standard output when not.
//
// usage: corvane_import SETTINGS_FILE WORKBOOK YYYY-MM-DD
// The date is the runner's day, so the releases are converted for the day it is preparing.
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>

#include <cstdio>

#include "clock.h"
#include "import/economicimport.h"
#include "log.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QDate day = args.size() == 4 ? QDate::fromString(args.at(3), Qt::ISODate) : QDate();
    if (!day.isValid()) {
        std::fputs("usage: corvane_import SETTINGS_FILE WORKBOOK YYYY-MM-DD\n", stderr);
        return 2;
    }
    corvane::logAlsoToFile(corvane::runnerLogPath());
    corvane::Clock::setSource([day] { return QDateTime(day, QTime::currentTime()); });
    QString reason;
    if (corvane::ImportEconomicCalendar(args.at(1), args.at(2), &reason))
        return 0;
    const QByteArray text = reason.toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return 1;
}
