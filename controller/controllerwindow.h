#pragma once
// The controller window "corvane": the launcher column (runner control, editor, viewer) and
// the quick-add panel, shown by widening the window.
#include <QPointer>
#include <QWidget>

#include "controllerstate.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane::controller {

class DayListViewer;
class RunnerWatch;

inline constexpr int kNarrowWidthTwips = 2355;
inline constexpr int kWideWidthTwips = 7350;

class ControllerWindow : public QWidget {
    Q_OBJECT
public:
    explicit ControllerWindow(QWidget* parent = nullptr);
    ~ControllerWindow() override;

    // The window width in twips, 2355 or 7350; the width is the panel's state.
    int windowWidthTwips() const { return m_widthTwips; }
    bool isPanelOpen() const { return m_widthTwips == kWideWidthTwips; }
    bool viewerShown() const { return m_state.ViewerShown; }
    DayListViewer* viewer() const;
    // Puts the window in the middle of the screen it is on.
    void centreOnScreen();

    // "予定の表示": opens the viewer, or closes it when open.
    void ToggleScheduleViewer();
    // "登　　録": writes the new entry and restarts the runner.
    void RegisterQuickEntry();

signals:
    // "プログラムの終了" or "閉じる": the controller ends now.
    void endRequested();

private:
    void createControls();
    void bindActions();
    void setWindowWidthTwips(int widthTwips);
    void closeViewer();
    void togglePanel();
    void startEditor();
    void endWithRunner();
    void restartRunner();
    void cancelEntry();
    bool acceptTime() const;

    ControllerState m_state;
    int m_widthTwips = kNarrowWidthTwips;
    QPointer<DayListViewer> m_viewer;
    RunnerWatch* m_watch = nullptr;

    // The controls by what they do; their objectNames are the form's control names.
    QPushButton* m_quickAddButton = nullptr;  // Command1 "予定の追加"
    QPushButton* m_editorButton = nullptr;    // Command2 "設　　　定"
    QPushButton* m_stopButton = nullptr;      // Command3 "プログラムの終了"
    QPushButton* m_closeButton = nullptr;     // Command4 "閉じる"
    QPushButton* m_registerButton = nullptr;  // Command5 "登録"
    QPushButton* m_viewerButton = nullptr;    // Command6 "予定の表示"
    QPushButton* m_cancelButton = nullptr;    // Command7 "キャンセル"
    QPushButton* m_restartButton = nullptr;   // Command8 "プログラムの再起動"
    QRadioButton* m_todayOption = nullptr;    // Option1 "本日"
    QRadioButton* m_tomorrowOption = nullptr; // Option2 "翌日"
    QLabel* m_timeLabel = nullptr;            // Label1
    QLabel* m_textLabel = nullptr;            // Label2
    QLineEdit* m_timeField = nullptr;         // Text1
    QLineEdit* m_textField = nullptr;         // Text2
    QList<QWidget*> m_panel;
};

} // namespace corvane::controller
