#pragma once
// Makes a running runner start afresh so that it reads the saved settings: close it, wait for
// its acknowledged exit, pause, start the program again. A runner that is not running is not
// started.
#include <QString>

namespace corvane::editor {

inline constexpr int kRestartPauseMs = 300;

// True when there was nothing to do or the new runner was started; false with a reason when
// the runner program could not be started or the old runner did not close.
bool RestartRunner(QString* error = nullptr, int pauseMs = kRestartPauseMs);

} // namespace corvane::editor
