#include "enterpressesbutton.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPushButton>

namespace corvane {

namespace {

class EnterPressesFocusedButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || !button->isEnabled())
            return false;
        // A held key must not press the button again and again.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

} // namespace

void installEnterPressesFocusedButton(QCoreApplication* application)
{
    // Installed twice, one key would press the button twice.
    const QString name = QStringLiteral("corvane_enter_presses_focused_button");
    if (application->findChild<EnterPressesFocusedButton*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new EnterPressesFocusedButton(application);
    filter->setObjectName(name);
    application->installEventFilter(filter);
}

} // namespace corvane
