#pragma once
// Starting the suite's programs from the controller, with the texts the user sees when a
// start fails.
#include <QString>

namespace corvane::controller {

inline constexpr char16_t kEditorMissingMessage[] = u"corvane設定.exeと同じフォルダに置いてください";
inline constexpr char16_t kRunnerMissingMessage[] = u"corvane_110が見つかりません";
inline constexpr char16_t kRunnerStartFailedMessage[] = u"corvane_110を起動できませんでした";

// Starts the runner without waiting. False with the user's message when it cannot be started.
bool startRunnerChecked(QString* userMessage);
// Starts the settings editor without waiting. False with the user's message when it cannot.
bool startEditorChecked(QString* userMessage);

} // namespace corvane::controller
