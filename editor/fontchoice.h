#pragma once
// The designer's font dialog: face, size, bold, italic, underline and strike-through with a
// sample. Unlike Qt's own font dialog it offers and keeps half sizes (10.5 points, the usual
// size of Japanese documents), which the designer stores as they are.
#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;

namespace corvane::editor {

class FontChoiceDialog : public QDialog {
    Q_OBJECT
public:
    explicit FontChoiceDialog(const QFont& initial, QWidget* parent = nullptr);
    // The chosen font; its point size may be a half (pointSizeF).
    QFont chosenFont() const;

private:
    void update();

    QFontComboBox* m_face = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QLabel* m_sample = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace corvane::editor
