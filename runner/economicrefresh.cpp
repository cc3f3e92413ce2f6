#include "economicrefresh.h"

#include "profile.h"

namespace corvane {

QString CheckEconomicRefresh(const QString& settingsPath)
{
    return profile::readString(settingsPath, QStringLiteral("経済指標"), QStringLiteral("取得"));
}

} // namespace corvane
