#pragma once
// The runner's identity towards the editor and the controller: a per-user local socket named
// after the runner window "corvane実行" in the user's runtime folder (only the user can enter
// it, so another user can neither find nor close our runner).
//  - Find: a connection succeeds.
//  - Close request: the client sends one line; the runner stops listening, releases its
//    instance lock, answers, then quits. The client returns only after the answer, so a runner
//    started afterwards finds the way free.
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace corvane {

inline constexpr char16_t kRunnerWindowTitle[] = u"corvane実行";

// Full path of the runner's socket.
QString runnerSocketPath();

// FindWindow("corvane実行"): true when a runner answers.
bool FindRunner();
// SendMessage(WM_CLOSE): asks a running runner to close and waits (up to timeoutMs) for its
// answer. True when a runner was found and has closed; false when none runs.
bool CloseRunner(int timeoutMs = 5000);
// Starts the runner program of the programs' folder as an independent process, without
// waiting. False with a reason when it cannot be started (e.g. the program is missing).
bool StartRunner(QString* error = nullptr);
// Starts a program of the suite (by name, in the programs' folder) as an independent process.
bool startProgram(const QString& programName, QString* error = nullptr);

// The runner's side: listens on the socket and answers close requests.
class RunnerControlServer : public QObject {
    Q_OBJECT
public:
    explicit RunnerControlServer(QObject* parent = nullptr);
    ~RunnerControlServer() override;
    // Call only while holding the runner's instance lock: a socket left by a dead runner is
    // removed first. False with a reason when listening fails.
    bool listen(QString* error = nullptr);
    void stop();

signals:
    // A close request arrived; the server has already stopped listening. The receiver releases
    // the instance lock and calls finishClose(); the server then answers the client and stops.
    void closeRequested();

public:
    void finishClose();

private:
    void onNewConnection();
    QLocalServer* m_server = nullptr;
    QList<QLocalSocket*> m_pendingClose;
};

} // namespace corvane
