#include "programtrust.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvane {

QString untrustedProgramReason(const QString& path)
{
#ifdef Q_OS_UNIX
    return untrustedProgramReason(path, ::geteuid());
#else
    // Windows: a program folder under Program Files is guarded by the system's own rights.
    Q_UNUSED(path);
    return {};
#endif
}

QString untrustedProgramReason(const QString& path, uint user)
{
    const QString shown = QDir::toNativeSeparators(path);
#ifdef Q_OS_UNIX
    struct stat status {};
    // stat, not lstat: what matters is the file that will run, wherever a link points.
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QStringLiteral("取り込みのプログラム「%1」の持ち主と権限を確かめられないため、実行しません").arg(shown);
    if (status.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("取り込みのプログラム「%1」はほかのユーザーも書き換えられるため、実行しません")
            .arg(shown);
    if (status.st_uid != user && status.st_uid != 0)
        return QStringLiteral("取り込みのプログラム「%1」はほかのユーザー（ユーザーID %2）のものなので、実行しません")
            .arg(shown)
            .arg(status.st_uid);
#else
    Q_UNUSED(shown);
    Q_UNUSED(user);
#endif
    return {};
}

} // namespace corvane
