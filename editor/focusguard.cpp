#include "focusguard.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "compositionguard.h"
#include "messagebox.h"

namespace corvane::editor {

FocusGuard::FocusGuard(QWidget* window) : QObject(window), m_window(window) {}

FocusGuard::~FocusGuard()
{
    if (m_swallowing)
        qApp->removeEventFilter(this);
}

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
    if (m_swallowing && swallowMouse(watched, event))
        return true;
    if (!m_checks.contains(watched))
        return false;
    auto* box = static_cast<QLineEdit*>(watched);

    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            if (const auto message = failure(box)) {
                if (!message->isEmpty()) {
                    showMessage(m_window, *message);
                    box->setFocus(Qt::OtherFocusReason);
                    resyncInputMethod();
                }
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another program or opening a menu is not leaving the box.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        if (const auto message = failure(box)) {
            refuseMouseLeave(box, *message);
            return false;
        }
        emit left(box);
    }
    return false;
}

// A mouse press moves the focus before any filter sees the press itself, so the focus is
// taken back afterwards and the press that caused the move is swallowed.
void FocusGuard::refuseMouseLeave(QLineEdit* box, const QString& message)
{
    if (!m_swallowing) {
        m_swallowing = true;
        qApp->installEventFilter(this);
    }
    QPointer<QLineEdit> target(box);
    QTimer::singleShot(0, this, [this, target, message] {
        if (!target)
            return;
        // The message first, the focus after it has closed: given back the other way round,
        // the input method stays detached from the box.
        if (!message.isEmpty())
            showMessage(m_window, message);
        if (!target)
            return;
        target->setFocus(Qt::OtherFocusReason);
        resyncInputMethod();
    });
}

bool FocusGuard::swallowMouse(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    if (type == QEvent::MouseButtonRelease) {
        m_swallowing = false;
        qApp->removeEventFilter(this);
    }
    return true;
}

} // namespace corvane::editor
