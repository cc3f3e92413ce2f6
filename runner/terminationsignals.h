#pragma once
// SIGTERM (logout, kill), SIGINT and SIGHUP turned into a Qt signal on the event loop, so that
// the runner ends as after a close request: logged, its instance and socket released. The
// handler itself only writes the signal's number into a pipe (async-signal-safe).
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace corvane {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one instance per process. Without a pipe (descriptors exhausted)
    // the default actions stay and the failure is logged.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // "SIGTERM" for SIGTERM, and so on.
    static QString signalName(int signal);

signals:
    void received(int signal);

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace corvane
