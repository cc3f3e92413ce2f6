#pragma once
// "再作成": the economic-indicator import of the programs' own settings file and workbook, run
// without blocking the window.
#include "form2.h"

namespace corvane::editor {

Form2::ImportRunner importEconomicCalendar();

} // namespace corvane::editor
