#include "stderrannouncer.h"

#include "clock.h"

#include <cstdio>

namespace corvane {

void StderrAnnouncer::announce(const QString& message)
{
    const QByteArray text = (Clock::now().toString(QStringLiteral("yyyy/M/d H:mm:ss")) + QStringLiteral(" 予定:\n")
                             + message).toUtf8();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
}

} // namespace corvane
