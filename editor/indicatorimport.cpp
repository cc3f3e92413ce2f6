#include "indicatorimport.h"

#include "settingspath.h"

#if __has_include("import/economicimport.h")
#include "import/economicimport.h"
#define CORVANE_HAVE_IMPORT 1
#endif

namespace corvane::editor {

Form2::ImportRunner importEconomicCalendar()
{
    return [](std::function<void(bool, const QString&)> done) {
#ifdef CORVANE_HAVE_IMPORT
        auto* import = new EconomicCalendarImport(SettingsPath(),
                                                  programsFile(QString::fromUtf16(kIndicatorWorkbookName)));
        QObject::connect(import, &EconomicCalendarImport::finished, import,
                         [import, done](bool ok, const QString& reason) {
                             done(ok, reason);
                             import->deleteLater();
                         });
        import->start();
#else
        done(false, QStringLiteral("この機能は準備中です"));
#endif
    };
}

} // namespace corvane::editor
