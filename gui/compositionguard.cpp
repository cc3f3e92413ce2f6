#include "compositionguard.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QHash>
#include <QInputMethodEvent>
#include <QPointer>
#include <QWidget>

namespace corvane {

namespace {

class CompositionGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::InputMethod:
            return inputMethod(watched, static_cast<QInputMethodEvent*>(event));
        case QEvent::FocusOut:
            focusOut(watched, static_cast<QFocusEvent*>(event));
            return false;
        case QEvent::KeyPress:
            // The user types on: whatever comes next is theirs.
            m_echo.clear();
            m_closedIn = nullptr;
            return false;
        default:
            return false;
        }
    }

private:
    bool inputMethod(QObject* box, const QInputMethodEvent* event)
    {
        const QString commit = event->commitString();
        const QString preedit = event->preeditString();
        if (!m_echo.isEmpty() && commit == m_echo && preedit.isEmpty() && openIn(box).isEmpty()) {
            m_echo.clear();
            return true;
        }
        if (!preedit.isEmpty())
            m_echo.clear();
        const bool closes = !commit.isEmpty() && preedit.isEmpty() && !openIn(box).isEmpty();
        m_closedIn = closes ? box : nullptr;
        m_closedText = closes ? commit : QString();
        if (preedit.isEmpty())
            m_open.remove(box);
        else
            m_open.insert(box, {box, preedit});
        return false;
    }

    // A box deleted with its composition open may leave its address to a new one.
    QString openIn(QObject* box) const
    {
        const auto it = m_open.find(box);
        return it != m_open.end() && it->box ? it->preedit : QString();
    }

    void focusOut(QObject* box, const QFocusEvent* event)
    {
        // A menu or another program takes the focus for a while; the composition stays open.
        if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
            return;
        const QString open = openIn(box);
        m_open.remove(box);
        QString committed = m_closedIn == box ? m_closedText : QString();
        m_closedIn = nullptr;
        if (!open.isEmpty()) {
            // Nobody committed it: it belongs to the box being left.
            QInputMethodEvent commit;
            commit.setCommitString(open);
            QCoreApplication::sendEvent(box, &commit);
            committed = open;
        }
        if (!committed.isEmpty())
            m_echo = committed;
    }

    struct Open {
        QPointer<QObject> box;
        QString preedit;
    };
    QHash<QObject*, Open> m_open; // open compositions by box
    QPointer<QObject> m_closedIn; // the box whose composition the last event committed
    QString m_closedText;
    QString m_echo; // a commit made on leaving a box, whose repetition is still to come
};

} // namespace

void resyncInputMethod()
{
    QGuiApplication::inputMethod()->reset();
    QGuiApplication::inputMethod()->update(Qt::ImQueryAll);
}

void installCompositionGuard(QCoreApplication* application)
{
    const QString name = QStringLiteral("corvane_composition_guard");
    if (application->findChild<CompositionGuard*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* guard = new CompositionGuard(application);
    guard->setObjectName(name);
    application->installEventFilter(guard);
}

} // namespace corvane
