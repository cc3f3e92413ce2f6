#pragma once
// Form2, the reminder window: a small top-level window above all others, a focused full-screen
// window included, that never takes the keyboard focus from what the user is typing in. Its
// caption bar shows the caption; Label1 shows the message at a fixed size, one screen line per
// message line, cut (not wrapped) at its edges. A right click opens a menu to see the message
// again later or to close the window at once.
//
// Screen readers: the window is an alert whose name is the message, so an assistive technology
// speaks it when it shows, and Label1's accessible name is the message too.
#include <QWidget>

#include "reminderlook.h"

class QLabel;

namespace corvane {

class ReminderWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReminderWindow(QWidget* parent = nullptr);

    // Sets the caption, the look and the text, and shows the window (on top, not activated);
    // its outer size is placed at the look's twips (caption bar and border included).
    void present(const ReminderLook& look, const QString& caption, const QString& message);

    // Does the one-time work of a first showing ahead of time, without showing anything:
    // the native window, and the font engines and glyphs of Japanese text in the look's font
    // (on a desktop with many fonts this takes a few hundred milliseconds of CPU).
    void prepare(const ReminderLook& look);

    QLabel* label() const { return m_label; }

signals:
    // The user picked 「N分後にもう一度」 (N one of kSnoozeMinutes) or 「閉じる」.
    void snoozeRequested(int minutes);
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setUp(const ReminderLook& look, const QString& caption, const QString& message);

    QLabel* m_caption = nullptr;
    // The client area, below the caption bar; Label1 is placed in it.
    QWidget* m_client = nullptr;
    QLabel* m_label = nullptr;
};

} // namespace corvane
