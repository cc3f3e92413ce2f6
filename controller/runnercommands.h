#pragma once
// Starting the settings editor from the controller, with the text the user sees when the
// start fails. (The runner's restart and stop are shared with the editor: runnercontrol.h.)
#include <QString>

namespace corvane::controller {

inline constexpr char16_t kEditorMissingMessage[] = u"corvane設定.exeと同じフォルダに置いてください";

// Starts the settings editor without waiting. False with the user's message when it cannot.
bool startEditorChecked(QString* userMessage);

} // namespace corvane::controller
