#pragma once
// On a Wayland desktop a Qt window can neither place itself nor stay above other windows.
// The suite's windows need both, so on a Wayland session that also offers an X display
// (XWayland) the programs run on X11, unless the user chose a platform with QT_QPA_PLATFORM.

namespace corvane {

// Call before QApplication is created.
void preferX11OnWayland();

// Call once QApplication exists: programs started from here get the environment the user
// gave, not our choice.
void forgetPlatformChoice();

// True when the windows run as Wayland clients: their place and stacking are up to the
// compositor.
bool placementUpToCompositor();

} // namespace corvane
