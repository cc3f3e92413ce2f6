#pragma once
// Stored window frames fitted to the screens attached now (see windowplacement.h).
#include <QRect>

namespace corvane {

// `outer` (desktop pixels, from the stored twips) fitted to the current screens. When that
// changes it, one log line names the stored and the used frame (once per distinct pair, since
// the runner sets its window up for every announcement).
QRect fitStoredWindow(const QRect& outer);

} // namespace corvane
