#include "economicrefresh.h"

#include "calendarimportprocess.h"
#include "clock.h"
#include "log.h"
#include "profile.h"
#include "settingskeys.h"
#include "settingspath.h"
#include "valueforms.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

bool economicRebuildDue(const QString& economicFetch, const QString& builtOn, QDate today)
{
    if (economicFetch != u"1")
        return false;
    if (builtOn.isEmpty())
        return true;
    const std::optional<QDate> built = parseDate(builtOn);
    if (!built) {
        logLine(QStringLiteral("経済指標の作成日「%1」は日付ではないため、作り直します").arg(builtOn));
        return true;
    }
    return built->month() != today.month();
}

EconomicRefreshDecision decideEconomicRefresh(const QString& settingsPath, const QString& previousFetch)
{
    return decideEconomicRefresh(ProfileTransaction(settingsPath), previousFetch);
}

EconomicRefreshDecision decideEconomicRefresh(const ProfileTransaction& file, const QString& previousFetch)
{
    const QString section = keyName(kEconomicSection);
    EconomicRefreshDecision decision;
    decision.economicFetch = file.readString(section, keyName(kEconomicFetchKey));
    if (decision.economicFetch.isEmpty())
        decision.economicFetch = previousFetch;
    const QString builtOn =
        decision.economicFetch == u"1" ? file.readString(section, keyName(kEconomicBuiltOnKey)) : QString();
    decision.importDue = economicRebuildDue(decision.economicFetch, builtOn, Clock::today());
    return decision;
}

QString indicatorWorkbookBeside(const QString& settingsPath)
{
    return QDir::toNativeSeparators(QFileInfo(settingsPath).dir().filePath(QString::fromUtf16(kIndicatorWorkbookName)));
}

QString CheckEconomicRefresh(const QString& settingsPath, const QString& previousFetch)
{
    bool imported = false;
    return CheckEconomicRefresh(ProfileTransaction(settingsPath), previousFetch, &imported);
}

QString CheckEconomicRefresh(const ProfileTransaction& file, const QString& previousFetch, bool* imported)
{
    const EconomicRefreshDecision decision = decideEconomicRefresh(file, previousFetch);
    *imported = decision.importDue;
    if (!decision.importDue)
        return decision.economicFetch;
    QString reason;
    if (!runCalendarImport(file.path(), indicatorWorkbookBeside(file.path()), Clock::today(), &reason))
        logLine(QStringLiteral("経済指標カレンダーの取り込みに失敗しました: %1").arg(reason));
    return decision.economicFetch;
}

} // namespace corvane
