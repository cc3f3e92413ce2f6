#pragma once
// Whether a program file beside the runner may be started as this user. Starting a program
// that another user can change runs their code with all of this user's rights, so such a file
// is refused rather than run.
#include <QString>

namespace corvane {

// Empty when the file at `path` (its target, for a link) can be changed by no one but this user
// and root: no group or other write bit, owned by this user or root. Otherwise why not, in
// Japanese, naming the file.
QString untrustedProgramReason(const QString& path);
// The same for the user with the id `user`.
QString untrustedProgramReason(const QString& path, uint user);

} // namespace corvane
