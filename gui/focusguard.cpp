#include "focusguard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "compositionguard.h"
#include "messagebox.h"

namespace corvane {

FocusGuard::FocusGuard(QWidget* window) : QObject(window), m_window(window) {}

FocusGuard::~FocusGuard() { watchWindowMouse(false); }

void FocusGuard::guard(QLineEdit* box, Check check)
{
    m_checks.insert(box, std::move(check));
    box->installEventFilter(this);
}

FocusGuard::Check FocusGuard::withMessage(std::function<QString(const QString&)> check)
{
    return [check = std::move(check)](const QString& text) -> std::optional<QString> {
        QString message = check(text);
        if (message.isEmpty())
            return std::nullopt;
        return message;
    };
}

FocusGuard::Check FocusGuard::silent(std::function<bool(const QString&)> accepts)
{
    return [accepts = std::move(accepts)](const QString& text) -> std::optional<QString> {
        if (accepts(text))
            return std::nullopt;
        return QString();
    };
}

std::optional<QString> FocusGuard::failure(QLineEdit* box) const
{
    const Check& check = m_checks.value(box);
    return check ? check(box->text()) : std::nullopt;
}

bool FocusGuard::eventFilter(QObject* watched, QEvent* event)
{
    // A click on another guarded box is a click elsewhere too.
    if (filterWindowMouse(watched, event))
        return true;
    return m_checks.contains(watched) && filterBox(static_cast<QLineEdit*>(watched), event);
}

bool FocusGuard::filterBox(QLineEdit* box, QEvent* event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
        m_focused = box;
        watchWindowMouse(true);
        return false;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Tab && key != Qt::Key_Backtab)
            return false;
        const auto message = failure(box);
        if (!message)
            return false;
        if (!message->isEmpty()) {
            showMessage(m_window, *message);
            box->setFocus(Qt::OtherFocusReason);
            resyncInputMethod();
        }
        return true;
    }
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        if (const auto message = failure(box)) {
            // A press moves the focus before any filter sees the press itself: the press that
            // follows is swallowed and takes the focus back. Any other move is undone at once.
            if (reason == Qt::MouseFocusReason) {
                m_refusedByClick = box;
                m_refusedMessage = *message;
            } else {
                takeFocusBack(box, *message);
            }
            return false;
        }
        m_focused = nullptr;
        watchWindowMouse(false);
        emit left(box);
        return false;
    }
    default:
        return false;
    }
}

// Presses anywhere in the window while the focus is in a refused box: a control that takes no
// focus (an option, a button) would otherwise act without the box being left at all.
bool FocusGuard::filterWindowMouse(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    if (type == QEvent::MouseButtonRelease) {
        if (!m_swallowing)
            return false;
        m_swallowing = false;
        if (!m_focused)
            watchWindowMouse(false);
        return true;
    }
    if (m_swallowing)
        return true;
    if (QLineEdit* refused = m_refusedByClick) {
        m_refusedByClick = nullptr;
        m_swallowing = true;
        takeFocusBack(refused, m_refusedMessage);
        return true;
    }
    if (!m_focused || m_focused == widget || m_focused->isAncestorOf(widget))
        return false;
    const auto message = failure(m_focused);
    if (!message)
        return false;
    m_swallowing = true;
    takeFocusBack(m_focused, *message);
    return true;
}

void FocusGuard::takeFocusBack(QLineEdit* box, const QString& message)
{
    if (message.isEmpty() && QApplication::focusWidget() != box) {
        box->setFocus(Qt::OtherFocusReason);
        resyncInputMethod();
    }
    if (message.isEmpty())
        return;
    QPointer<QLineEdit> target(box);
    // The message first, the focus after it has closed: given back the other way round, the
    // input method stays detached from the box.
    QTimer::singleShot(0, this, [this, target, message] {
        if (!target)
            return;
        showMessage(m_window, message);
        if (!target)
            return;
        target->setFocus(Qt::OtherFocusReason);
        resyncInputMethod();
    });
}

void FocusGuard::watchWindowMouse(bool watch)
{
    if (watch == m_watchingWindowMouse)
        return;
    m_watchingWindowMouse = watch;
    if (watch)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

} // namespace corvane
