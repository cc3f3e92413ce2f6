#pragma once
// The economic-indicator refresh policy run at start-up.
#include <QDate>
#include <QString>

namespace corvane {

class ProfileTransaction;

// Runs the refresh policy for the settings file at `settingsPath` (rebuilding the indicator
// workbook beside it when it calls for it) and returns EconomicFetch: "経済指標"/"取得" as
// read, or `previousFetch` when the key is empty or absent (a runner that prepares a new day
// passes the value it holds). A failed import is one line on stderr; the start-up goes on with
// the workbook that is there, if any.
QString CheckEconomicRefresh(const QString& settingsPath, const QString& previousFetch = {});
// The same on a snapshot of the file; *imported tells whether an import ran (and so may have
// changed the file since the snapshot).
QString CheckEconomicRefresh(const ProfileTransaction& file, const QString& previousFetch, bool* imported);

// What the policy finds in the file: EconomicFetch (as CheckEconomicRefresh returns it) and
// whether an import is due. The day rebuild decides with this and imports in the background.
struct EconomicRefreshDecision {
    QString economicFetch;
    bool importDue = false;
};
EconomicRefreshDecision decideEconomicRefresh(const QString& settingsPath, const QString& previousFetch);
EconomicRefreshDecision decideEconomicRefresh(const ProfileTransaction& file, const QString& previousFetch);

// The indicator workbook beside the settings file.
QString indicatorWorkbookBeside(const QString& settingsPath);

// The policy's decision: the feature is on ("取得" exactly "1") and the last import is absent
// or from another month number (the year is not compared). A "作成日" that is not a date
// counts as never built.
bool economicRebuildDue(const QString& economicFetch, const QString& builtOn, QDate today);

} // namespace corvane
