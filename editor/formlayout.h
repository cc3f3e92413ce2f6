#pragma once
// Placing the editor's controls from their twips design positions.
#include <QString>

class QLabel;
class QWidget;

namespace corvane::editor {

// Names the control, places it, and widens it when its caption needs more room than the
// design gave (the layouts were drawn for another face's metrics).
QWidget* placeControl(QWidget* widget, const QString& name, double left, double top, double width, double height);
template <typename W>
W* placed(W* widget, const QString& name, double left, double top, double width, double height)
{
    placeControl(widget, name, left, top, width, height);
    return widget;
}
QLabel* placeLabel(QWidget* parent, const QString& name, const QString& text, double left, double top);
// "Text4" + 3 → "Text4_3", the object name of an element of a control array.
QString arrayName(const char* control, int index);

} // namespace corvane::editor
