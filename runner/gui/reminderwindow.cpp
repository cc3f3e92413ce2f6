#include "reminderwindow.h"

#include "colours.h"
#include "desktopapp.h"
#include "screenfit.h"
#include "twips.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace corvane {

ReminderWindow::ReminderWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    setWindowIcon(suiteIcon());

    m_label = new QLabel(this);
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
    if (isVisible()) {
        raise(); // a newer announcement comes to the top again
    } else {
        show();
        // Showing may give the window its frame: fit the outer size again.
        applyOuterGeometry();
    }
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

    const QPalette system = QApplication::palette();
    QPalette palette = system;
    palette.setColor(QPalette::Window, toQColor(look.background, system, QPalette::Button));
    palette.setColor(QPalette::WindowText, toQColor(look.text, system, QPalette::ButtonText));
    setPalette(palette);
    m_label->setPalette(palette);

    const QScreen* screen = this->screen();
    m_outer = fitStoredWindow(twipsRect(look.left, look.top, look.width, look.height, screen));
    applyOuterGeometry();
    // The label of a huge stored size is cut to the window it shows in (its design size stays,
    // wider than a narrow window): the text beyond the window is never seen, and a label of
    // millions of pixels would be laid out and painted all the same.
    QRect label = twipsRect(kLabelLeft, kLabelTop, look.labelWidth, look.labelHeight, screen);
    const QSize design = twipsRect(0, 0, kLabelDesignWidth, kLabelDesignHeight, screen).size();
    label.setWidth(std::min(label.width(), std::max(m_outer.width(), design.width())));
    label.setHeight(std::min(label.height(), std::max(m_outer.height(), design.height())));
    m_label->setGeometry(label);

    QFont font(look.fontName);
    font.setPointSize(look.fontPoints);
    font.setBold(look.bold);
    font.setItalic(look.italic);
    font.setUnderline(look.underline);
    font.setStrikeOut(look.strikeout);
    m_label->setFont(font);
    m_label->setText(message);
}

void ReminderWindow::applyOuterGeometry()
{
    // The frame's margins are known only once a window manager has framed the window; until
    // then the client takes the whole outer size.
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    const QSize client(std::max(1, m_outer.width() - frame.left() - frame.right()),
                       std::max(1, m_outer.height() - frame.top() - frame.bottom()));
    // QWidget::move places a top-level window's frame, resize its client area.
    move(m_outer.topLeft());
    resize(client);
}

void ReminderWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // On the first showing the frame is added after the window is mapped: fit once more.
    QTimer::singleShot(50, this, [this] {
        if (isVisible() && frameGeometry().size() != m_outer.size())
            applyOuterGeometry();
    });
}

} // namespace corvane
