#pragma once
// The platform dialogs the editor opens (file, colour, font), behind one seam so that window
// tests can answer them without a modal dialog.
#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace corvane::editor {

// "ファイルの選択", no filter: the chosen file's full path, or empty when cancelled.
QString chooseFile(QWidget* parent);
// The colour dialog with its 16 custom colours as they stand: the colour, or nullopt.
std::optional<QColor> chooseColour(QWidget* parent);
// The font dialog: the font, or nullopt when cancelled.
std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial);
// Sets the colour dialog's 16 custom colours to black (a fresh designer window).
void resetCustomColours();

struct DialogAnswers {
    std::function<QString(QWidget*)> file;
    std::function<std::optional<QColor>(QWidget*)> colour;
    std::function<std::optional<QFont>(QWidget*, const QFont&)> font;
};
// Replaces the dialogs (tests); an empty member keeps the real dialog.
void setDialogAnswers(DialogAnswers answers);

} // namespace corvane::editor
