#include "journalannouncer.h"

#include "log.h"

#include <QStringList>

namespace corvane {

void JournalAnnouncer::announce(const QString& message)
{
    QStringList lines = message.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    logLine(QStringLiteral("reminder: ") + lines.join(QStringLiteral(" / ")));
    if (m_next)
        m_next->announce(message);
}

} // namespace corvane
