#include "speech.h"

#include "log.h"
#include "textcodec.h"

#include <QFile>
#include <QProcess>

namespace corvane {

QByteArray speechRecord(const QString& message) { return '"' + toCp932(message) + "\"\r\n"; }

namespace {

void writeSpeechText(const QString& path, const QString& message)
{
    // The speech program may hold the file open while it reads it: overwrite in place rather
    // than replace it.
    QFile file(path);
    const QByteArray record = speechRecord(message);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(record) != record.size() || !file.flush())
        logLine(QStringLiteral("音声ソフト用のテキストファイルに書き込めません: %1: %2").arg(path, file.errorString()));
}

} // namespace

int handToSpeech(const QString& message, const QString& textPath, const std::array<QString, 3>& commands)
{
    if (!textPath.isEmpty())
        writeSpeechText(textPath, message);
    int started = 0;
    for (int slot = 0; slot < int(commands.size()); ++slot) {
        if (commands[slot].isEmpty())
            continue;
        QStringList arguments = QProcess::splitCommand(commands[slot]);
        if (arguments.isEmpty()) {
            logLine(QStringLiteral("音声SH%1 にプログラムがありません: %2").arg(slot).arg(commands[slot]));
            continue;
        }
        const QString program = arguments.takeFirst();
        if (QProcess::startDetached(program, arguments))
            ++started;
        else
            logLine(QStringLiteral("音声SH%1 を起動できません: %2").arg(slot).arg(commands[slot]));
    }
    return started;
}

} // namespace corvane
