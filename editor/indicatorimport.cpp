#include "indicatorimport.h"

#include "import/economicimport.h"
#include "settingspath.h"

namespace corvane::editor {

GeneralSettingsWindow::ImportRunner importEconomicCalendar()
{
    return [](std::function<void(bool, const QString&)> done) {
        // Asynchronous, so the window keeps answering while the page is fetched.
        auto* import =
            new EconomicCalendarImport(SettingsPath(), programsFile(QString::fromUtf16(kIndicatorWorkbookName)));
        QObject::connect(import, &EconomicCalendarImport::finished, import,
                         [import, done](bool ok, const QString& reason) {
                             done(ok, reason);
                             import->deleteLater();
                         });
        import->start();
    };
}

} // namespace corvane::editor
