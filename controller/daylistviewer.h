#pragma once
// The today/tomorrow viewer "表示予定": the runner's published day lists, one line per
// announcement, in a fixed-pitch font so that the time column lines up; and "お知らせ済み", what
// the runner announced today and what became of each line.
#include <QWidget>

#include "controllerstate.h"

class QListWidget;
class QPushButton;
class QRadioButton;

namespace corvane::controller {

class DayListViewer : public QWidget {
    Q_OBJECT
public:
    // Deletes itself when closed (any way); the state must outlive it.
    explicit DayListViewer(ControllerState& state, QWidget* parent = nullptr);

    // Selects "本日" and fills the list with today's announcements.
    void selectToday();
    void selectTomorrow();
    QStringList lines() const;

signals:
    // The window is closing, by its button or its close box.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void fill(ViewerDay day);
    void fillAnnounced();

    ControllerState& m_state;
    QListWidget* m_list = nullptr;
    QRadioButton* m_today = nullptr;
    QRadioButton* m_tomorrow = nullptr;
    QRadioButton* m_announced = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace corvane::controller
