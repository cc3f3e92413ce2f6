#include "calendarimportprocess.h"

#include "importwait.h"
#include "programtrust.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace corvane {

namespace {
QString& programOverride()
{
    static QString path;
    return path;
}
} // namespace

QString calendarImportProgram()
{
    if (!programOverride().isEmpty())
        return programOverride();
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromUtf16(kCalendarImportProgramName));
}

void setCalendarImportProgram(const QString& path) { programOverride() = path; }

namespace {
QString tooMuchOutput() { return QStringLiteral("取り込みプログラムの出力が多すぎるため止めました"); }
} // namespace

CalendarImportProcess::CalendarImportProcess(const QString& settingsPath, const QString& workbookPath, QDate day,
                                             QObject* parent)
    : QObject(parent), m_settingsPath(settingsPath), m_workbookPath(workbookPath), m_day(day)
{
}

CalendarImportProcess::~CalendarImportProcess() { delete stopProcess(); }

QProcess* CalendarImportProcess::stopProcess()
{
    QProcess* process = std::exchange(m_process, nullptr);
    if (process) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
    return process;
}

void CalendarImportProcess::start()
{
    if (m_process)
        return;
    const QString program = calendarImportProgram();
    if (!QFileInfo(program).isExecutable()) {
        complete(false,
                 QStringLiteral("取り込みのプログラム「%1」が見つかりません").arg(QDir::toNativeSeparators(program)));
        return;
    }
    if (const QString why = untrustedProgramReason(program); !why.isEmpty()) {
        complete(false, why);
        return;
    }
    m_output.clear();
    m_process = new QProcess(this);
    // Its log lines go where ours go; its standard output carries the reason of a failure.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcess* process = m_process;
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        if (process == m_process && !takeOutput())
            complete(false, tooMuchOutput());
    });
    connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
        if (process != m_process)
            return;
        // All it wrote came through readyRead first: Qt reads what is left in the pipe, and says
        // so, before it reports the end.
        const QString said = QString::fromUtf8(m_output).trimmed();
        if (status == QProcess::NormalExit && code == 0)
            complete(true, {});
        else if (status == QProcess::NormalExit && code == 1 && !said.isEmpty())
            complete(false, said);
        else
            complete(false, QStringLiteral("取り込みのプログラムが異常終了しました（終了コード %1）").arg(code));
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process == m_process && error == QProcess::FailedToStart)
            complete(false, QStringLiteral("取り込みのプログラムを起動できません: %1").arg(process->errorString()));
    });
    QTimer::singleShot(m_limitMs, process, [this, process] {
        if (process == m_process)
            complete(false,
                     QStringLiteral("取り込みが %1 秒以内に終わらないため、打ち切りました").arg(m_limitMs / 1000));
    });
    process->start(program, {m_settingsPath, m_workbookPath, m_day.toString(Qt::ISODate)});
}

bool CalendarImportProcess::takeOutput()
{
    m_output += m_process->read(kCalendarImportOutputLimit + 1 - m_output.size());
    return m_output.size() <= kCalendarImportOutputLimit;
}

void CalendarImportProcess::complete(bool ok, const QString& reason)
{
    // Deleted later: this may run inside one of the process's own signals.
    if (QProcess* process = stopProcess())
        process->deleteLater();
    emit finished(ok, reason);
}

bool runCalendarImport(const QString& settingsPath, const QString& workbookPath, QDate day, QString* reason)
{
    CalendarImportProcess import(settingsPath, workbookPath, day);
    return waitForImport(import, reason);
}

} // namespace corvane
