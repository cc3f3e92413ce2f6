#pragma once
// The runner's identity towards the editor and the controller: a per-user local socket named
// after the runner window "corvane実行" in the user's runtime folder (only the user can enter
// it, so another user can neither find nor close our runner).
//  - Find: a connection succeeds.
//  - Close request: the client sends one line; the runner stops listening, releases its
//    instance lock, answers, then quits. The client returns only after the answer, so a runner
//    started afterwards finds the way free.
#include "localsocket.h"

#include <QObject>
#include <QString>
#include <functional>

#include <cstddef>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace corvane {

inline constexpr char16_t kRunnerWindowTitle[] = u"corvane実行";

// Full path of the runner's socket.
QString runnerSocketPath();

// FindWindow("corvane実行"): true when a runner answers.
bool FindRunner();

inline constexpr int kRunnerStopTimeoutMs = 5000;

// What a stop request found.
enum class RunnerStop {
    NoneRunning,  // no runner answered: there was nothing to stop
    Stopped,      // a runner answered and has let go of its instance
    StillRunning, // a runner was found but did not confirm its end in time
};

// SendMessage(WM_CLOSE): asks a running runner to close and waits (up to timeoutMs) for its
// answer. Returns only after the old runner has released its instance, so a runner started
// afterwards finds the way free. Failures are logged.
RunnerStop StopRunner(int timeoutMs = kRunnerStopTimeoutMs);

// Starts the runner program of the programs' folder as an independent process, without
// waiting. False with a reason when it cannot be started (e.g. the program is missing).
bool StartRunner(QString* error = nullptr);

enum class RestartWhen {
    IfRunning, // a runner that is not running is not started (the editor's finish)
    Always,    // start one in any case (the controller)
};

struct RunnerRestart {
    enum Outcome {
        NotRunning,     // IfRunning and none ran: nothing was done
        Restarted,      // the old runner (if any) has gone and a new one was started
        StillRunning,   // the old runner did not close; no new one was started
        ProgramMissing, // the runner program is not in the programs' folder
        StartFailed,    // the runner program could not be started
    };
    Outcome outcome = NotRunning;

    bool ok() const { return outcome == NotRunning || outcome == Restarted; }
    // The user's text for a failed restart; empty when ok().
    QString message() const;
};

// The pause between a runner's close and the start of the next one, for the old process to
// finish its exit (it has let go of its instance before its close was answered).
inline constexpr int kRestartPauseMs = 300;

// Stops a running runner and starts the runner program `pauseMs` later, on the event loop of
// `context`'s thread: the caller's windows stay responsive during the pause. `done` gets the
// outcome, at once when nothing is to be started after a pause. Failures are logged.
void RestartRunner(RestartWhen when, QObject* context, std::function<void(const RunnerRestart&)> done,
                   int pauseMs = kRestartPauseMs);

// Starts a program of the suite (by name, in the programs' folder) as an independent process.
bool startProgram(const QString& programName, QString* error = nullptr);

// At most this many connections wait for their request at once: the oldest gives way to a new
// one. A connection that has not sent its request within kControlRequestTimeoutMs is closed.
inline constexpr std::size_t kMaxWaitingConnections = 8;
inline constexpr int kControlRequestTimeoutMs = 2000;

// The runner's side: listens on the socket and answers close requests. Whatever connects, it
// holds few descriptors and never keeps the event loop busy.
class RunnerControlServer : public QObject {
    Q_OBJECT
public:
    explicit RunnerControlServer(int requestTimeoutMs = kControlRequestTimeoutMs, QObject* parent = nullptr);
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
    struct Connection;
    void onNewConnection();
    void addConnection(SocketHandle socket);
    bool turnAwayWithSpare();
    void onReadable(Connection* connection);
    void dropExpired();
    void drop(Connection* connection);

    int m_requestTimeoutMs;
    // Wakes up when the oldest waiting connection is due to be closed.
    QTimer* m_expiry = nullptr;
    QString m_path;
    SocketHandle m_listener;
    QSocketNotifier* m_listenerNotifier = nullptr;
    // A descriptor held back for the moment the process has none left (see turnAwayWithSpare).
    SocketHandle m_spare;
    bool m_turnedAwayLogged = false;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace corvane
