#pragma once
// The standard colour, font and file dialogs and the buttons of message boxes speak Japanese
// like the rest of the suite, whatever the system's locale.
class QCoreApplication;

namespace corvane {

// Installs Qt's own Japanese texts; false when they are not installed.
bool loadJapaneseQtTexts(QCoreApplication* application);

} // namespace corvane
