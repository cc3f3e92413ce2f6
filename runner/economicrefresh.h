#pragma once
// The economic-indicator refresh policy run at start-up.
#include <QString>

namespace corvane {

// Runs the refresh policy for the settings file at `settingsPath` (rebuilding the indicator
// workbook when it calls for it) and returns "経済指標"/"取得" as read (EconomicFetch).
QString CheckEconomicRefresh(const QString& settingsPath);

} // namespace corvane
