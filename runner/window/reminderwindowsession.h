#pragma once
// The window program's side of the runner's lines: applies the look, shows and hides the
// reminder window, plays the WAVE file, and answers what the runner waits for. At the end of
// its input it hides the window and finishes once the sound has played to its end.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "windowprotocol.h"

namespace corvane {

class AnnouncementSound;
class ReminderWindow;

class ReminderWindowSession : public QObject {
    Q_OBJECT
public:
    // `reply` sends one line to the runner; `soundPluginFolder` is empty for the programs'.
    explicit ReminderWindowSession(std::function<void(const QByteArray&)> reply, const QString& soundPluginFolder = {});
    ~ReminderWindowSession() override;

    void handleLine(const QByteArray& line);
    void endOfInput();

    ReminderWindow* window() const { return m_window.get(); }

signals:
    // Input ended and the sound is silent: the program may end.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyLook(const QString& argument);
    void show(const QString& argument);
    void play();
    void close();
    // The user closed the window from its menu: hidden and silenced at once, the runner told.
    void dismiss(const QByteArray& reply);
    void finishWhenSilent();

    std::function<void(const QByteArray&)> m_reply;
    QString m_soundPluginFolder;
    WindowProgramLook m_look;
    std::unique_ptr<ReminderWindow> m_window;
    std::unique_ptr<AnnouncementSound> m_sound;
    // A show waits for the window's next paint to report it on screen.
    bool m_awaitingPaint = false;
    QTimer m_silenceWatch;
};

} // namespace corvane
