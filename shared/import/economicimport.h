#pragma once
// ImportEconomicCalendar: fetches the calendar page named by "経済指標"/"URL", reads its first
// table, converts the releases by the time differences "時差" ET/CET/GMT, writes the indicator
// workbook and, only after the workbook was saved, "経済指標"/"作成日" = today. A failed import
// changes neither the workbook nor "作成日".
#include "calendarfetch.h"
#include "indicatorworkbook.h"
#include "releaserows.h"

#include <QObject>
#include <QString>

namespace corvane {

// The time differences as stored (whole hours, halves rounded to even). An empty value is 0;
// a value that is no number is 0 and logged.
TimeDifferences readTimeDifferences(const QString& settingsPath);

// The page (bytes and Content-Type) to release rows: charset, first table, conversion. False
// with a reason when the page has no table or its first table holds no release. Dropped
// releases are logged.
bool ReadCalendarPage(const QByteArray& body, const QByteArray& contentType, const TimeDifferences& differences,
                      QDate today, QList<IndicatorRow>* rows, QString* reason);

// Puts a new indicator workbook at `path`: refused while a spreadsheet application has the
// workbook open; written beside it and read back with the workbook reader first, so that only a
// workbook that reads replaces the old one. False with a reason for the user otherwise (the old
// workbook is then unchanged).
bool ReplaceIndicatorWorkbook(const QString& path, QList<IndicatorRow> rows, QString* reason);

// The asynchronous form, for a window that must stay responsive. One import per object at a
// time; finished() comes exactly once per start().
class EconomicCalendarImport : public QObject {
    Q_OBJECT
public:
    EconomicCalendarImport(const QString& settingsPath, const QString& workbookPath, QObject* parent = nullptr);
    void setLimits(const FetchLimits& limits) { m_limits = limits; }
    void start();
    bool isRunning() const { return m_running; }
    // Rows written by the last successful import.
    int rowCount() const { return m_rowCount; }

signals:
    void finished(bool ok, const QString& reason);

private:
    void onFetched(bool ok, const QString& reason);
    void complete(bool ok, const QString& reason);

    QString m_settingsPath;
    QString m_workbookPath;
    FetchLimits m_limits;
    CalendarFetch m_fetch;
    TimeDifferences m_differences;
    bool m_running = false;
    int m_rowCount = 0;
};

// The blocking form (the import program): runs the import to its end in a local event loop
// that handles no user input. False with the reason on failure.
bool ImportEconomicCalendar(const QString& settingsPath, const QString& workbookPath, QString* reason = nullptr,
                            const FetchLimits& limits = {});

// The programs' own settings file and workbook (SettingsPath(), programs' folder).
bool ImportEconomicCalendar(QString* reason = nullptr);

} // namespace corvane
