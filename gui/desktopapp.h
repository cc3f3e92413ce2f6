#pragma once
// What each program of the suite sets on its application before its first window: the UI
// font, Qt's Japanese texts, Enter on a focused button, one commit per input-method
// composition, the suite's icon and desktop entry, and the caption of its message boxes.
#include <QIcon>
#include <QString>

class QApplication;

namespace corvane {

// The suite's icon at each of its sizes, read from the programs' resources without Qt's image
// plugins.
QIcon suiteIcon();

enum class SuiteIconAt {
    Start, // on every window from the start
    None,  // on no window: the reminder window program, whose one window bypasses the window
           // manager on X (no taskbar or switcher lists it, so an icon there is never seen; it
           // would cost about a tenth of the program's start), and whose desktop entry names it
           // on Wayland
};

// `title` captions the program's message boxes; `desktopEntry` names its desktop file
// without ".desktop" (the taskbar finds the icon and name through it).
void setUpDesktopApplication(QApplication* application, const QString& title, const QString& desktopEntry,
                             SuiteIconAt icon = SuiteIconAt::Start);

} // namespace corvane
