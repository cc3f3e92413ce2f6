#include "reminderwindow.h"

#include "colours.h"
#include "screenfit.h"
#include "snoozechoice.h"
#include "twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>

namespace corvane {

namespace {

// The border drawn around the window, pixels.
constexpr int kBorder = 1;

// The reminder window as assistive technologies see it: an alert (a screen reader speaks an
// alert as it appears, as it does a message box), named by its message.
class ReminderAccessible : public QAccessibleWidget {
public:
    explicit ReminderAccessible(QWidget* window) : QAccessibleWidget(window, QAccessible::AlertMessage) {}
};

QAccessibleInterface* reminderAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("corvane::ReminderWindow") && object && object->isWidgetType())
        return new ReminderAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

} // namespace

// Window managers put a focused full-screen window (a video, a presentation) above every window
// they manage, "always on top" ones included. The window therefore bypasses the window manager:
// the X server shows it above all managed windows, it never receives the keyboard focus, and
// it draws its caption bar and border itself, within the outer size of the look.
ReminderWindow::ReminderWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint
                          | Qt::WindowDoesNotAcceptFocus)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(reminderAccessibleFactory);
        return true;
    }();
    (void)accessibleInstalled;
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);

    // In the colours of an active window's caption bar, which draws the eye (the text takes the
    // colour that goes with the background).
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("Caption"));
    m_caption->setAutoFillBackground(true);
    m_caption->setBackgroundRole(QPalette::Highlight);

    m_client = new QWidget(this);
    m_label = new QLabel(m_client);
    m_label->setObjectName(QStringLiteral("Label1"));
    // Entry texts are shown as typed, never interpreted as markup.
    m_label->setTextFormat(Qt::PlainText);
    m_label->setWordWrap(false);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setAutoFillBackground(true);
    m_label->setFocusPolicy(Qt::NoFocus);
}

void ReminderWindow::present(const ReminderLook& look, const QString& caption, const QString& message)
{
    setUp(look, caption, message);
    show();
    // Above the windows shown since the window was made (or last shown); a newer announcement
    // comes to the top again.
    raise();
    // As a message box does, for the platforms that speak alerts; on the Linux accessibility
    // bus the window's role and name do it (a newer message renames a window already shown).
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void ReminderWindow::prepare(const ReminderLook& look)
{
    if (isVisible())
        return;
    setUp(look, QString(), QStringLiteral("予定のお知らせ　ヨテイ　ＡＢＣ abc 0123:45\n"));
    create();
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    render(&image);
    m_label->clear();
}

void ReminderWindow::setUp(const ReminderLook& look, const QString& caption, const QString& message)
{
    setWindowTitle(caption);
    m_caption->setText(caption);

    const QPalette system = QApplication::palette();
    QPalette palette = system;
    palette.setColor(QPalette::Window, toQColor(look.background, system, QPalette::Button));
    palette.setColor(QPalette::WindowText, toQColor(look.text, system, QPalette::ButtonText));
    setPalette(palette);
    m_label->setPalette(palette);

    const QScreen* screen = this->screen();
    const QRect outer = fitStoredWindow(twipsRect(look.left, look.top, look.width, look.height, screen));
    setGeometry(outer);
    // Caption bar and border within the outer size, the client area below the caption bar.
    const int captionHeight = m_caption->fontMetrics().height() + 6;
    m_caption->setGeometry(kBorder, kBorder, std::max(0, outer.width() - 2 * kBorder), captionHeight);
    m_client->setGeometry(kBorder, kBorder + captionHeight, std::max(0, outer.width() - 2 * kBorder),
                          std::max(0, outer.height() - 2 * kBorder - captionHeight));
    // The label of a huge stored size is cut to the window it shows in (its design size stays,
    // wider than a narrow window): the text beyond the window is never seen, and a label of
    // millions of pixels would be laid out and painted all the same.
    QRect label = twipsRect(kLabelLeft, kLabelTop, look.labelWidth, look.labelHeight, screen);
    const QSize design = twipsRect(0, 0, kLabelDesignWidth, kLabelDesignHeight, screen).size();
    label.setWidth(std::min(label.width(), std::max(outer.width(), design.width())));
    label.setHeight(std::min(label.height(), std::max(outer.height(), design.height())));
    m_label->setGeometry(label);

    QFont font(look.fontName);
    font.setPointSize(look.fontPoints);
    font.setBold(look.bold);
    font.setItalic(look.italic);
    font.setUnderline(look.underline);
    font.setStrikeOut(look.strikeout);
    m_label->setFont(font);
    m_label->setText(message);
    // Read as lines, without the line ends a screen reader would spell out.
    const QString spoken = message.trimmed().replace(QLatin1Char('\n'), QStringLiteral("、"));
    setAccessibleName(spoken);
    m_label->setAccessibleName(spoken);
}

void ReminderWindow::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ReminderWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("SnoozeMenu"));
    for (int minutes : kSnoozeMinutes)
        connect(menu.addAction(snoozeCaption(minutes)), &QAction::triggered, this,
                [this, minutes] { emit snoozeRequested(minutes); });
    connect(menu.addAction(QStringLiteral("閉じる")), &QAction::triggered, this, &ReminderWindow::closeRequested);
    menu.exec(event->globalPos());
}

} // namespace corvane
