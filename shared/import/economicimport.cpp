#include "economicimport.h"

#include "clock.h"
#include "log.h"
#include "pagecharset.h"
#include "profile.h"
#include "settingskeys.h"
#include "settingspath.h"
#include "valueforms.h"

#include <QEventLoop>

namespace corvane {

namespace {

const QString kSection = keyName(kEconomicSection);

int readDifference(const QString& settingsPath, const QString& key)
{
    const QString text = profile::readString(settingsPath, keyName(kTimeDifferenceSection), key);
    if (text.trimmed().isEmpty())
        return 0;
    const std::optional<int16_t> hours = parseWhole16(text);
    if (!hours) {
        logLine(QStringLiteral("時差 %1 の値「%2」は数値ではないため 0 として扱います").arg(key, text));
        return 0;
    }
    return *hours;
}

} // namespace

TimeDifferences readTimeDifferences(const QString& settingsPath)
{
    return {readDifference(settingsPath, keyName(kEtKey)), readDifference(settingsPath, keyName(kCetKey)),
            readDifference(settingsPath, keyName(kGmtKey))};
}

bool ReadCalendarPage(const QByteArray& body, const QByteArray& contentType,
                      const TimeDifferences& differences, QDate today, QList<IndicatorRow>* rows,
                      QString* reason)
{
    const std::optional<TableGrid> grid = readFirstTable(pageToUtf8(body, contentType));
    if (!grid) {
        *reason = QStringLiteral("経済指標カレンダーのページに表がありません");
        return false;
    }
    CalendarConversion conversion = ConvertCalendarGrid(*grid, differences, today);
    for (const QString& line : conversion.droppedReasons)
        logLine(line);
    if (conversion.rows.isEmpty()) {
        // Writing an empty workbook over a good one would lose the month's releases.
        *reason = QStringLiteral("経済指標カレンダーのページの最初の表に公表予定がありません");
        return false;
    }
    *rows = std::move(conversion.rows);
    return true;
}

EconomicCalendarImport::EconomicCalendarImport(const QString& settingsPath,
                                               const QString& workbookPath, QObject* parent)
    : QObject(parent), m_settingsPath(settingsPath), m_workbookPath(workbookPath)
{
    connect(&m_fetch, &CalendarFetch::finished, this, &EconomicCalendarImport::onFetched);
}

void EconomicCalendarImport::start()
{
    if (m_running)
        return;
    m_running = true;
    m_differences = readTimeDifferences(m_settingsPath);
    m_fetch.start(profile::readString(m_settingsPath, kSection, keyName(kEconomicUrlKey)), m_limits);
}

void EconomicCalendarImport::onFetched(bool ok, const QString& reason)
{
    if (!ok) {
        complete(false, reason);
        return;
    }
    const QDate today = Clock::today();
    QList<IndicatorRow> rows;
    QString why;
    if (!ReadCalendarPage(m_fetch.page().body, m_fetch.page().contentType, m_differences, today,
                          &rows, &why)) {
        complete(false, why);
        return;
    }
    const int count = int(rows.size());
    if (!WriteIndicatorWorkbook(m_workbookPath, std::move(rows), &why)) {
        complete(false, QStringLiteral("経済指標.xlsを保存できませんでした（%1）").arg(why));
        return;
    }
    // Last, and only now: a stamp without a saved workbook would stop the next refresh.
    if (!profile::writeString(m_settingsPath, kSection, keyName(kEconomicBuiltOnKey), formatDate(today), &why)) {
        complete(false, QStringLiteral("経済指標.xlsは保存しましたが、作成日を設定ファイルに書き込めませんでした（%1）").arg(why));
        return;
    }
    m_rowCount = count;
    complete(true, {});
}

void EconomicCalendarImport::complete(bool ok, const QString& reason)
{
    m_running = false;
    emit finished(ok, reason);
}

bool ImportEconomicCalendar(const QString& settingsPath, const QString& workbookPath,
                            QString* reason, const FetchLimits& limits)
{
    EconomicCalendarImport import(settingsPath, workbookPath);
    import.setLimits(limits);
    QEventLoop loop;
    bool result = false;
    QString why;
    QObject::connect(&import, &EconomicCalendarImport::finished, &loop,
                     [&](bool ok, const QString& r) {
                         result = ok;
                         why = r;
                         loop.quit();
                     });
    import.start();
    if (import.isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The application quitting ends every event loop, this one included: the fetch is dropped
    // with the import object and nothing has been written.
    if (import.isRunning()) {
        result = false;
        why = QStringLiteral("経済指標カレンダーの取り込みを中断しました");
    }
    if (reason)
        *reason = why;
    return result;
}

bool ImportEconomicCalendar(QString* reason)
{
    return ImportEconomicCalendar(SettingsPath(),
                                  programsFile(QString::fromUtf16(kIndicatorWorkbookName)), reason);
}

} // namespace corvane
