#include "economicimport.h"

#include "clock.h"
#include "importwait.h"
#include "log.h"
#include "pagecharset.h"
#include "profile.h"
#include "settingskeys.h"
#include "settingspath.h"
#include "valueforms.h"

#include "workbookfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

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

bool ReplaceIndicatorWorkbook(const QString& path, QList<IndicatorRow> rows, QString* reason)
{
    // A spreadsheet that has the workbook open would keep its stale copy, and saving that
    // would throw this import away.
    if (isWorkbookBusy(path)) {
        *reason =
            QStringLiteral("経済指標.xlsが表示中のため取り込めません。ファイルを閉じてから再度取り込んでください");
        return false;
    }
    const QFileInfo target(path);
    QString fresh;
    {
        // Reserves a name of our own beside the workbook; the writer creates the file anew.
        QTemporaryFile reserve(target.dir().filePath(target.fileName() + QStringLiteral(".XXXXXX")));
        if (!reserve.open()) {
            *reason = QStringLiteral("経済指標.xlsを保存できませんでした（%1）").arg(reserve.errorString());
            return false;
        }
        fresh = reserve.fileName();
    }
    const qsizetype count = rows.size();
    QString why;
    if (!WriteIndicatorWorkbook(fresh, std::move(rows), &why)) {
        QFile::remove(fresh);
        *reason = QStringLiteral("経済指標.xlsを保存できませんでした（%1）").arg(why);
        return false;
    }
    // What the runner will read: a workbook our own reader rejects must not replace a good one.
    const QList<IndicatorRow> back = ReadIndicatorWorkbook(fresh, &why);
    if (!why.isEmpty() || back.size() != count) {
        QFile::remove(fresh);
        *reason =
            QStringLiteral("作成した経済指標.xlsを読み直せないため、前のブックを残します（%1）")
                .arg(why.isEmpty() ? QStringLiteral("%1件のうち%2件しか読めません").arg(count).arg(back.size()) : why);
        return false;
    }
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(fresh).toStdString(), QFile::encodeName(path).toStdString(), error);
    if (error) {
        QFile::remove(fresh);
        *reason =
            QStringLiteral("経済指標.xlsを保存できませんでした（%1）").arg(QString::fromLocal8Bit(error.message()));
        return false;
    }
    return true;
}

TimeDifferences readTimeDifferences(const QString& settingsPath)
{
    return {readDifference(settingsPath, keyName(kEtKey)), readDifference(settingsPath, keyName(kCetKey)),
            readDifference(settingsPath, keyName(kGmtKey))};
}

bool ReadCalendarPage(const QByteArray& body, const QByteArray& contentType, const TimeDifferences& differences,
                      QDate today, QList<IndicatorRow>* rows, QString* reason)
{
    // The conversion reads the table's first four columns only.
    bool tooDeep = false;
    const std::optional<TableGrid> grid = readFirstTable(pageToUtf8(body, contentType), kForeignColumn + 1, &tooDeep);
    const QString depthNote = QStringLiteral("ページの要素の入れ子が256段を超えるため、その先は読めませんでした");
    if (tooDeep)
        logLine(QStringLiteral("経済指標カレンダー: ") + depthNote);
    // A page cut short by the parser's limit says so, whatever is missing because of it.
    auto failWith = [&](const QString& text) {
        *reason = tooDeep ? text + QStringLiteral("（%1）").arg(depthNote) : text;
        return false;
    };
    if (!grid)
        return failWith(QStringLiteral("経済指標カレンダーのページに表がありません"));
    CalendarConversion conversion = ConvertCalendarGrid(*grid, differences, today);
    for (const QString& line : conversion.droppedReasons)
        logLine(line);
    for (const QString& line : conversion.notes)
        logLine(line);
    // Writing an empty workbook over a good one would lose the month's releases.
    if (conversion.rows.isEmpty())
        return failWith(QStringLiteral("経済指標カレンダーのページの最初の表に公表予定がありません"));
    *rows = std::move(conversion.rows);
    return true;
}

EconomicCalendarImport::EconomicCalendarImport(const QString& settingsPath, const QString& workbookPath,
                                               QObject* parent)
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
    if (!ReadCalendarPage(m_fetch.page().body, m_fetch.page().contentType, m_differences, today, &rows, &why)) {
        complete(false, why);
        return;
    }
    const int count = int(rows.size());
    if (!ReplaceIndicatorWorkbook(m_workbookPath, std::move(rows), &why)) {
        complete(false, why);
        return;
    }
    // Last, and only now: a stamp without a saved workbook would stop the next refresh.
    if (!profile::writeString(m_settingsPath, kSection, keyName(kEconomicBuiltOnKey), formatDate(today), &why)) {
        complete(
            false,
            QStringLiteral("経済指標.xlsは保存しましたが、作成日を設定ファイルに書き込めませんでした（%1）").arg(why));
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

bool ImportEconomicCalendar(const QString& settingsPath, const QString& workbookPath, QString* reason,
                            const FetchLimits& limits)
{
    EconomicCalendarImport import(settingsPath, workbookPath);
    import.setLimits(limits);
    return waitForImport(import, reason);
}

bool ImportEconomicCalendar(QString* reason)
{
    return ImportEconomicCalendar(SettingsPath(), programsFile(QString::fromUtf16(kIndicatorWorkbookName)), reason);
}

} // namespace corvane
