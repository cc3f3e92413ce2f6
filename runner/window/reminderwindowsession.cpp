#include "reminderwindowsession.h"

#include "announcementsound.h"
#include "log.h"
#include "reminderwindow.h"

#include <QEvent>

namespace corvane {

namespace {

// How often the end of a sound playing out is looked for once the input has ended.
constexpr int kSilenceCheckMs = 100;

} // namespace

ReminderWindowSession::ReminderWindowSession(std::function<void(const QByteArray&)> reply,
                                             const QString& soundPluginFolder)
    : m_reply(std::move(reply)), m_soundPluginFolder(soundPluginFolder)
{
    m_silenceWatch.setInterval(kSilenceCheckMs);
    connect(&m_silenceWatch, &QTimer::timeout, this, &ReminderWindowSession::finishWhenSilent);
}

ReminderWindowSession::~ReminderWindowSession() = default;

void ReminderWindowSession::handleLine(const QByteArray& line)
{
    const ProtocolLine received = splitProtocolLine(line);
    if (received.command == "look")
        applyLook(received.argument);
    else if (received.command == "show")
        show(received.argument);
    else if (received.command == "play")
        play();
    else if (received.command == "close")
        close();
    else
        logLine(QStringLiteral("お知らせ画面のプログラムに不明な指示が届きました: %1")
                    .arg(QString::fromUtf8(line.left(80))));
}

void ReminderWindowSession::applyLook(const QString& argument)
{
    const std::optional<WindowProgramLook> look = parseLook(argument);
    if (!look) {
        logLine(QStringLiteral("お知らせ画面の表示設定が読めません。既定の表示を使います: %1").arg(argument.left(200)));
        m_look = {};
    } else {
        m_look = *look;
    }
    if (!m_window) {
        m_window = std::make_unique<ReminderWindow>();
        m_window->installEventFilter(this);
        connect(m_window.get(), &ReminderWindow::snoozeRequested, this,
                [this](int minutes) { dismiss("snooze " + QByteArray::number(minutes) + '\n'); });
        connect(m_window.get(), &ReminderWindow::closeRequested, this, [this] { dismiss("dismissed\n"); });
    }
    m_window->prepare(m_look.look);
    // The audio backend takes tens of milliseconds to come up: not at the due second.
    if (!m_look.soundPath.isEmpty()) {
        m_sound = std::make_unique<AnnouncementSound>(m_look.soundPath, m_soundPluginFolder);
        m_sound->prepare();
    }
    m_reply("ready\n");
}

void ReminderWindowSession::show(const QString& argument)
{
    const std::optional<ShownMessage> shown = parseShow(argument);
    if (!shown) {
        logLine(QStringLiteral("お知らせ画面のプログラムに届いた表示の指示が読めません: %1").arg(argument.left(200)));
        return;
    }
    if (!m_window)
        applyLook({});
    m_awaitingPaint = true;
    m_window->present(m_look.look, shown->caption, shown->message);
    // Painted again even when it already shows the same text: that paint is what is reported.
    m_window->update();
}

bool ReminderWindowSession::eventFilter(QObject* watched, QEvent* event)
{
    if (m_awaitingPaint && event->type() == QEvent::Paint && watched == m_window.get() && m_window->isVisible()) {
        m_awaitingPaint = false;
        m_reply("shown\n");
    }
    return QObject::eventFilter(watched, event);
}

void ReminderWindowSession::play()
{
    // Without a WAVE file set the runner asks for no plays; one asked for anyway sounds nothing.
    if (m_sound)
        m_sound->play();
}

void ReminderWindowSession::close()
{
    m_awaitingPaint = false;
    if (m_window)
        m_window->hide();
    // Silent again once its last play ends; a next announcement prepares a fresh output.
    if (m_sound)
        m_sound->release();
    m_reply("closed\n");
}

void ReminderWindowSession::dismiss(const QByteArray& reply)
{
    m_awaitingPaint = false;
    m_window->hide();
    if (m_sound)
        m_sound->stop();
    m_reply(reply);
}

void ReminderWindowSession::endOfInput()
{
    m_awaitingPaint = false;
    if (m_window)
        m_window->hide();
    if (m_sound)
        m_sound->release();
    m_silenceWatch.start();
    finishWhenSilent();
}

void ReminderWindowSession::finishWhenSilent()
{
    if (m_sound && m_sound->isPlaying())
        return;
    m_silenceWatch.stop();
    emit finished();
}

} // namespace corvane
