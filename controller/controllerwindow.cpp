#include "controllerwindow.h"

#include "busycursor.h"
#include "clock.h"
#include "daylistviewer.h"
#include "focusguard.h"
#include "messagebox.h"
#include "quickentry.h"
#include "runnercommands.h"
#include "runnercontrol.h"
#include "runnerwatch.h"
#include "settingspath.h"
#include "timefield.h"
#include "twips.h"
#include "valueforms.h"

#include <QButtonGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace corvane::controller {

namespace {
// The layout's widths are outer widths; the designed client area is 120 twips narrower
// (7350 wide ↔ 7230 client).
constexpr int kFrameTwips = 120;
constexpr int kClientHeightTwips = 3045;
// Between the old runner's confirmed end and the new runner's start.

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, double left, double top,
                        double width, double height)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    placeTwips(button, left, top, width, height);
    return button;
}
// A caption wider than its designed box grows to the right instead of being cut: the boxes
// were sized for a narrower face than the one here.
void placeLabel(QLabel* label, double left, double top, double width, double height)
{
    placeTwips(label, left, top, width, height);
    const QSize hint = label->sizeHint();
    label->resize(std::max(label->width(), hint.width()), std::max(label->height(), hint.height()));
}
} // namespace

ControllerWindow::ControllerWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("corvane"));
    createControls();
    bindActions();
    setWindowWidthTwips(kNarrowWidthTwips);
    m_state.ViewerShown = false;
    // Whether "プログラムの終了" has anything to close; only a runner start enables it later.
    m_stopButton->setEnabled(FindRunner());
}

ControllerWindow::~ControllerWindow() { delete m_viewer; }

DayListViewer* ControllerWindow::viewer() const { return m_viewer; }

void ControllerWindow::createControls()
{
    m_viewerButton = makeButton(this, "Command6", QStringLiteral("予定の表示"), 240, 120, 1695, 375);
    m_quickAddButton = makeButton(this, "Command1", QStringLiteral("予定の追加"), 240, 600, 1695, 375);
    m_editorButton = makeButton(this, "Command2", QStringLiteral("設　　　定"), 240, 1080, 1695, 375);
    m_restartButton = makeButton(this, "Command8", QStringLiteral("プログラムの再起動"), 240, 1560, 1695, 375);
    m_stopButton = makeButton(this, "Command3", QStringLiteral("プログラムの終了"), 240, 2040, 1695, 375);
    m_closeButton = makeButton(this, "Command4", QStringLiteral("閉じる"), 240, 2520, 1695, 375);

    m_todayOption = new QRadioButton(QStringLiteral("本日"), this);
    m_todayOption->setObjectName(QStringLiteral("Option1"));
    placeTwips(m_todayOption, 2400, 120, 735, 255);
    m_tomorrowOption = new QRadioButton(QStringLiteral("翌日"), this);
    m_tomorrowOption->setObjectName(QStringLiteral("Option2"));
    placeTwips(m_tomorrowOption, 3240, 120, 735, 255);
    auto* days = new QButtonGroup(this);
    days->addButton(m_todayOption);
    days->addButton(m_tomorrowOption);

    m_timeLabel = new QLabel(QStringLiteral("時　　刻"), this);
    m_timeLabel->setObjectName(QStringLiteral("Label1"));
    placeLabel(m_timeLabel, 2400, 720, 600, 180);
    m_timeField = new QLineEdit(this);
    m_timeField->setObjectName(QStringLiteral("Text1"));
    placeTwips(m_timeField, 3360, 720, 855, 270);
    m_textLabel = new QLabel(QStringLiteral("表示内容"), this);
    m_textLabel->setObjectName(QStringLiteral("Label2"));
    placeLabel(m_textLabel, 2400, 1200, 720, 180);
    m_textField = new QLineEdit(this);
    m_textField->setObjectName(QStringLiteral("Text2"));
    placeTwips(m_textField, 2400, 1560, 4575, 270);
    m_cancelButton = makeButton(this, "Command7", QStringLiteral("キャンセル"), 2400, 2040, 1335, 375);
    m_registerButton = makeButton(this, "Command5", QStringLiteral("登　　録"), 3840, 2040, 1335, 375);

    const QList<QWidget*> tabOrder = {m_viewerButton, m_quickAddButton, m_editorButton, m_restartButton,
                                      m_stopButton,   m_closeButton,    m_todayOption,  m_tomorrowOption,
                                      m_timeField,    m_textField,      m_cancelButton, m_registerButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    m_panel = {m_todayOption, m_tomorrowOption, m_timeLabel,    m_timeField,
               m_textLabel,   m_textField,      m_cancelButton, m_registerButton};
    m_watch = new RunnerWatch(this);
}

void ControllerWindow::bindActions()
{
    connect(m_quickAddButton, &QPushButton::clicked, this, &ControllerWindow::togglePanel);
    connect(m_editorButton, &QPushButton::clicked, this, &ControllerWindow::startEditor);
    connect(m_stopButton, &QPushButton::clicked, this, &ControllerWindow::endWithRunner);
    connect(m_closeButton, &QPushButton::clicked, this, &ControllerWindow::endRequested);
    connect(m_registerButton, &QPushButton::clicked, this, &ControllerWindow::RegisterQuickEntry);
    connect(m_viewerButton, &QPushButton::clicked, this, &ControllerWindow::ToggleScheduleViewer);
    connect(m_cancelButton, &QPushButton::clicked, this, &ControllerWindow::cancelEntry);
    connect(m_restartButton, &QPushButton::clicked, this, &ControllerWindow::restartRunner);
    connect(m_watch, &RunnerWatch::runnerFound, this, [this] { m_stopButton->setEnabled(true); });

    // A refused time keeps the focus, without a message.
    auto* guard = new FocusGuard(this);
    guard->guard(m_timeField, FocusGuard::silent([this](const QString&) { return acceptTime(); }));
}

bool ControllerWindow::acceptTime() const
{
    return acceptTimeField(m_timeField->text(), m_todayOption->isChecked(), Clock::now());
}

void ControllerWindow::setWindowWidthTwips(int widthTwips)
{
    m_widthTwips = widthTwips;
    // Hidden rather than merely clipped, so that Tab does not wander into the closed panel.
    for (QWidget* widget : std::as_const(m_panel))
        widget->setVisible(isPanelOpen());
    setFixedSize(twipsToPixelsX(widthTwips - kFrameTwips, screen()), twipsToPixelsY(kClientHeightTwips, screen()));
}

void ControllerWindow::centreOnScreen()
{
    const QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!current)
        return;
    const QRect area = current->availableGeometry();
    QRect frame(QPoint(), frameGeometry().size());
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void ControllerWindow::closeViewer()
{
    if (m_viewer)
        m_viewer->close();
    m_state.ViewerShown = false;
}

void ControllerWindow::togglePanel()
{
    setWindowWidthTwips(isPanelOpen() ? kNarrowWidthTwips : kWideWidthTwips);
    m_todayOption->setChecked(true);
    if (m_state.ViewerShown)
        closeViewer();
}

void ControllerWindow::startEditor()
{
    if (isPanelOpen())
        setWindowWidthTwips(kNarrowWidthTwips);
    if (m_state.ViewerShown)
        closeViewer();
    QString message;
    if (!startEditorChecked(&message))
        showMessage(this, message);
}

void ControllerWindow::endWithRunner()
{
    // A runner that would not close stays running: say so and keep the controller at hand.
    if (StopRunner() == RunnerStop::StillRunning) {
        showMessage(this, RunnerRestart{RunnerRestart::StillRunning}.message());
        return;
    }
    emit endRequested();
}

void ControllerWindow::restartRunner()
{
    // One restart at a time: the button waits for the pause between the close and the start.
    m_restartButton->setEnabled(false);
    RestartRunner(RestartWhen::Always, this, [this](const RunnerRestart& result) {
        m_restartButton->setEnabled(true);
        if (!result.ok()) {
            showMessage(this, result.message());
            return;
        }
        m_watch->start();
    });
}

void ControllerWindow::cancelEntry()
{
    m_timeField->clear();
    m_textField->clear();
    setWindowWidthTwips(kNarrowWidthTwips);
}

void ControllerWindow::RegisterQuickEntry()
{
    QuickEntry entry;
    entry.day = m_tomorrowOption->isChecked() ? QuickDay::Tomorrow : QuickDay::Today;
    entry.time = m_timeField->text();
    entry.text = m_textField->text();
    const QuickEntryResult result = [&] {
        const BusyCursor busy;
        return controller::RegisterQuickEntry(SettingsPath(), entry);
    }();
    if (!result.ok) {
        // The panel stays open with the texts, so nothing typed is lost.
        showMessage(this, result.message);
        if (result.slot < 0 && m_timeField->isVisible() && !parseTime(entry.time))
            m_timeField->setFocus(Qt::OtherFocusReason);
        return;
    }
    restartRunner();
    setWindowWidthTwips(kNarrowWidthTwips);
}

void ControllerWindow::ToggleScheduleViewer()
{
    if (m_state.ViewerShown) {
        closeViewer();
        return;
    }
    if (isPanelOpen())
        setWindowWidthTwips(kNarrowWidthTwips);

    auto* viewer = new DayListViewer(m_state);
    m_viewer = viewer;
    // Every way the viewer closes (its button, its close box, our buttons) ends here. A viewer
    // closed earlier may still be on its way out while a new one is open: only the current one
    // counts.
    connect(viewer, &DayListViewer::closed, this, [this, viewer] {
        if (m_viewer == viewer)
            m_state.ViewerShown = false;
    });
    const QRect frame = frameGeometry();
    const int frameExtraWidth = frame.width() - width();
    m_viewer->resize(twipsToPixelsX(4800, screen()) - frameExtraWidth, height());
    m_viewer->move(frame.left() + frame.width(), frame.top());
    m_viewer->selectToday();
    m_viewer->show();
    m_state.ViewerShown = true;
}

} // namespace corvane::controller
