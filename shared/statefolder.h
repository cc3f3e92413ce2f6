#pragma once
// The runner's own files (its log, the day's announcement history, pending snoozes) live in one
// private folder of the user's state, never beside the settings file that other programs share.
#include <QByteArray>
#include <QString>

namespace corvane {

// $XDG_STATE_HOME/corvane, where XDG_STATE_HOME is ~/.local/state when unset or not an absolute
// path.
QString runnerStateFolder();

// Makes `folder` and the folders above it that are missing, each private to the user (0700).
// True when the folder exists afterwards.
bool makePrivateFolders(const QString& folder);

// Replaces `path` with `bytes` in one step (a temporary file in the same folder, flushed, then
// renamed), private to the user (0600) whatever it was before; the folder is made when missing.
// A reader sees the old file or the new one, never a part. False with the reason (Japanese) when
// the file could not be written; the old file is then untouched.
bool writePrivateFile(const QString& path, const QByteArray& bytes, QString* reason);

} // namespace corvane
