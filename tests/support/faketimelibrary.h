#pragma once
// The libfaketime library to preload into a program started by a test; empty when it is not
// installed.
#include <QFile>
#include <QString>

namespace corvane::test {

inline QString libfaketime()
{
    for (const char* path : {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                             "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1"}) {
        if (QFile::exists(QString::fromLatin1(path)))
            return QString::fromLatin1(path);
    }
    return {};
}

} // namespace corvane::test
