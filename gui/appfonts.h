#pragma once
// Windows face names used by the settings and the window layouts, mapped to the Japanese
// faces installed here (IPA Gothic, Noto Sans CJK JP as a further fallback), and the 9-point
// UI font every window of the suite uses.
#include <QFont>

namespace corvane {

void installFontSubstitutions();
// 9 pt "MS UI Gothic" (mapped): the face the twips layouts were designed for.
QFont uiFont();
// Sets the UI font on the application; call once after QApplication exists.
void applyUiFont();

} // namespace corvane
