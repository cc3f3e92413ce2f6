#include "economicrefresh.h"

#include "clock.h"
#include "import/economicimport.h"
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

QString CheckEconomicRefresh(const QString& settingsPath, const QString& previousFetch)
{
    bool imported = false;
    return CheckEconomicRefresh(ProfileTransaction(settingsPath), previousFetch, &imported);
}

QString CheckEconomicRefresh(const ProfileTransaction& file, const QString& previousFetch, bool* imported)
{
    *imported = false;
    const QString settingsPath = file.path();
    const QString section = keyName(kEconomicSection);
    QString economicFetch = file.readString(section, keyName(kEconomicFetchKey));
    if (economicFetch.isEmpty())
        economicFetch = previousFetch;
    const QString builtOn = economicFetch == u"1" ? file.readString(section, keyName(kEconomicBuiltOnKey)) : QString();
    if (!economicRebuildDue(economicFetch, builtOn, Clock::today()))
        return economicFetch;
    *imported = true;

    const QString workbookPath = QDir::toNativeSeparators(
        QFileInfo(settingsPath).dir().filePath(QString::fromUtf16(kIndicatorWorkbookName)));
    QString reason;
    if (!ImportEconomicCalendar(settingsPath, workbookPath, &reason))
        logLine(QStringLiteral("経済指標カレンダーの取り込みに失敗しました: %1").arg(reason));
    return economicFetch;
}

} // namespace corvane
