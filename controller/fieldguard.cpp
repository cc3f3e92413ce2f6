#include "fieldguard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace corvane::controller {

FieldGuard::FieldGuard(QWidget* field, std::function<bool()> accept, QObject* parent)
    : QObject(parent), m_field(field), m_accept(std::move(accept))
{
    field->installEventFilter(this);
}

void FieldGuard::watch(const QList<QWidget*>& others)
{
    for (QWidget* other : others)
        other->installEventFilter(this);
}

bool FieldGuard::refuseLeaving()
{
    if (!m_field || m_accept())
        return false;
    // A real click has already given the focus to the clicked control; take it back.
    m_field->setFocus(Qt::OtherFocusReason);
    return true;
}

bool FieldGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_field)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == m_field) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && refuseLeaving())
                return true;
        }
        break;
    case QEvent::FocusOut:
        // A real click hands the focus to the clicked control before the control sees the
        // press: decide here, and swallow the press that follows.
        if (watched == m_field && static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason && !m_accept())
            m_blocking = true;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched != m_field) {
            if (!m_blocking && m_field->hasFocus() && !m_accept())
                m_blocking = true;
            if (m_blocking) {
                m_field->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched != m_field && m_blocking) {
            m_blocking = false;
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

} // namespace corvane::controller
