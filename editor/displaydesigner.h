#pragma once
// The display-screen designer: a window standing where the reminder will stand, with a sample
// text in the reminder's font and colours. The user moves and sizes it with the frame and
// changes colours and font from the right-click menu; closing it, however, takes over its
// place and size.
#include <QWidget>

#include "generalsettings.h"

class QLabel;
class QMenu;

namespace corvane::editor {

class DisplayDesigner : public QWidget {
    Q_OBJECT
public:
    explicit DisplayDesigner(GeneralSettings& settings, QWidget* parent = nullptr);

    // Place, size, colours and font from the display values (defaults where empty).
    void applySettings();
    void changeColour();
    void changeFont();
    void changeTextColour();
    QLabel* sample() const { return m_sample; }
    QMenu* popup() const { return m_popup; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColoursAndFont();
    void storePosition();

    GeneralSettings& m_settings;
    QLabel* m_sample = nullptr;
    QMenu* m_popup = nullptr;
    QFont m_lastFont;
    // The stored outer size; the frame is known only once the window is shown.
    QSize m_outerSize;
    void fitOuterSize();
};

} // namespace corvane::editor
