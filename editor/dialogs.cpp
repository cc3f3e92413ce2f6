#include "dialogs.h"

#include <QColorDialog>
#include <QFileDialog>

#include "fontchoice.h"

namespace corvane::editor {

namespace {
DialogAnswers& answers()
{
    static DialogAnswers a;
    return a;
}
} // namespace

void setDialogAnswers(DialogAnswers a) { answers() = std::move(a); }

QString chooseFile(QWidget* parent)
{
    if (answers().file)
        return answers().file(parent);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("ファイルの選択"));
}

std::optional<QColor> chooseColour(QWidget* parent)
{
    if (answers().colour)
        return answers().colour(parent);
    const QColor colour = QColorDialog::getColor(Qt::black, parent);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial)
{
    if (answers().font)
        return answers().font(parent, initial);
    FontChoiceDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenFont();
}

void resetCustomColours()
{
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::black));
}

} // namespace corvane::editor
