#pragma once
// A tick just after every wall-clock second begins, so that a check at hh:mm:ss sees that
// second and never the one before (a coarse timer may fire up to 5 % early and drift).
#include <QObject>
#include <QTimer>

namespace corvane {

class SecondTicker : public QObject {
    Q_OBJECT
public:
    explicit SecondTicker(QObject* parent = nullptr);
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    // Milliseconds from a wall-clock time `msIntoSecond` into its second until just after the
    // next second begins.
    static int delayToNextSecond(int msIntoSecond);

signals:
    void tick();

private:
    void arm();
    void onTimeout();
    QTimer m_timer;
};

} // namespace corvane
