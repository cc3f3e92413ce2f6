#include "formlayout.h"

#include <QLabel>
#include <QAbstractButton>
#include <QPushButton>

#include "twips.h"

namespace corvane::editor {

QWidget* placeControl(QWidget* widget, const QString& name, double left, double top, double width, double height)
{
    widget->setObjectName(name);
    placeTwips(widget, left, top, width, height);
    // Only captions grow; a box or list keeps its designed width. A push button's size hint
    // carries the style's minimum width, not what the caption needs.
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (!button)
        return widget;
    const int needed = qobject_cast<QPushButton*>(widget) ? widget->fontMetrics().horizontalAdvance(button->text()) + 12
                                                          : widget->sizeHint().width();
    if (needed > widget->width())
        widget->resize(needed, widget->height());
    return widget;
}

QLabel* placeLabel(QWidget* parent, const QString& name, const QString& text, double left, double top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    placeTwips(label, left, top, 0, 180);
    label->adjustSize();
    return label;
}

QString arrayName(const char* control, int index)
{
    return QString::fromLatin1(control) + QLatin1Char('_') + QString::number(index);
}

} // namespace corvane::editor
