#pragma once
// Watches for a freshly started runner for a few seconds without blocking the window: a runner
// needs a moment after its start before it can be found, and a single look straight after the
// start would nearly always miss it.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace corvane::controller {

class RunnerWatch : public QObject {
    Q_OBJECT
public:
    explicit RunnerWatch(QObject* parent = nullptr);
    // Looks at once, then every intervalMs until the runner is found or durationMs have passed.
    // A new start() replaces a watch in progress.
    void start(int durationMs = 5000, int intervalMs = 100);
    void stop();
    bool isActive() const { return m_timer.isActive(); }

signals:
    void runnerFound();

private:
    void look();
    QTimer m_timer;
    QElapsedTimer m_elapsed;
    int m_durationMs = 0;
};

} // namespace corvane::controller
