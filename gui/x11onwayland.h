#pragma once
// On a Wayland desktop a Qt window can neither place itself nor stay above other windows.
// The suite's windows need both, so the programs run on X11 whenever an X display answers
// (XWayland on a Wayland session), on Wayland when only a compositor does, and end with a
// reason when neither does, unless the user chose a platform with QT_QPA_PLATFORM.

namespace corvane {

// Call before QApplication is created. False when no display can be opened: the reason is
// logged, and the program should end with an error status (Qt would abort).
bool chooseDisplayPlatform();

// Call once QApplication exists: programs started from here get the environment the user
// gave, not our choice.
void forgetPlatformChoice();

// True when the windows run as Wayland clients: their place and stacking are up to the
// compositor.
bool placementUpToCompositor();

} // namespace corvane
