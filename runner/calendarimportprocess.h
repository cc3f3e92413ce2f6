#pragma once
// The indicator calendar import, run as the program "corvane_import" beside the runner. The
// network and HTML libraries it needs then never load into the resident runner, a page that
// upsets them cannot take the runner down, and the import's memory goes back with its process.
#include <QDate>
#include <QObject>
#include <QString>

class QProcess;

namespace corvane {

inline constexpr char16_t kCalendarImportProgramName[] = u"corvane_import";

// Where the import program is: beside the running program, unless set (tests run elsewhere).
QString calendarImportProgram();
void setCalendarImportProgram(const QString& path);

// How long an import may take before it is stopped: the fetch's own limit with room for the
// page's conversion and the workbook's writing.
inline constexpr int kCalendarImportLimitMs = 90'000;

// How much of the import program's output is read: the reason it prints is one short line, so
// a program that writes more has gone wrong and is stopped before the runner holds any more.
inline constexpr qint64 kCalendarImportOutputLimit = 64 * 1024;

// One import for `day` (the runner's day) at a time; finished() comes exactly once per start().
class CalendarImportProcess : public QObject {
    Q_OBJECT
public:
    CalendarImportProcess(const QString& settingsPath, const QString& workbookPath, QDate day,
                          QObject* parent = nullptr);
    // An import still running is stopped: the runner is going, and its files are replaced
    // atomically, so a stopped import leaves the old ones.
    ~CalendarImportProcess() override;
    void setLimitMs(int limitMs) { m_limitMs = limitMs; }
    void start();
    bool isRunning() const { return m_process != nullptr; }

signals:
    void finished(bool ok, const QString& reason);

private:
    void complete(bool ok, const QString& reason);
    // Moves what the program wrote into m_output, up to one byte past the limit; false past it.
    bool takeOutput();
    // Stops a process still running and lets go of it; null when there was none.
    QProcess* stopProcess();

    QString m_settingsPath;
    QString m_workbookPath;
    QDate m_day;
    int m_limitMs = kCalendarImportLimitMs;
    QProcess* m_process = nullptr;
    QByteArray m_output;
};

// The blocking form (the runner's start-up), see waitForImport(): close requests are still
// answered meanwhile. False with the reason on failure.
bool runCalendarImport(const QString& settingsPath, const QString& workbookPath, QDate day, QString* reason = nullptr);

} // namespace corvane
