#pragma once
// What the controller keeps for its lifetime, apart from its windows.
#include "viewerlines.h"

namespace corvane::controller {

struct ControllerState {
    // True exactly while the viewer window is open.
    bool ViewerShown = false;
    // Loaded on every "本日" of the viewer, kept while the controller runs.
    Abbreviations abbreviations;
};

} // namespace corvane::controller
