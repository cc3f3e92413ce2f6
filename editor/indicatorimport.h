#pragma once
// "再作成": the economic-indicator import of the programs' own settings file and workbook, run
// without blocking the window.
#include "generalsettingswindow.h"

namespace corvane::editor {

GeneralSettingsWindow::ImportRunner importEconomicCalendar();

} // namespace corvane::editor
