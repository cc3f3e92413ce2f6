#pragma once
// What each program of the suite sets on its application before its first window: the UI
// font, Qt's Japanese texts, Enter on a focused button, one commit per input-method
// composition, the suite's icon and desktop entry, and the caption of its message boxes.
#include <QString>

class QApplication;

namespace corvane {

// `title` captions the program's message boxes; `desktopEntry` names its desktop file
// without ".desktop" (the taskbar finds the icon and name through it).
void setUpDesktopApplication(QApplication* application, const QString& title, const QString& desktopEntry);

} // namespace corvane
