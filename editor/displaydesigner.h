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
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyColoursAndFont();
    void storePosition();
    void keepOuterSizeAcrossFrameChange();

    GeneralSettings& m_settings;
    QLabel* m_sample = nullptr;
    QMenu* m_popup = nullptr;
    QFont m_lastFont;
    // The frame margins the client size was last fitted to. A window manager adds the frame
    // after the window is mapped; the outer size must stay as stored when it does.
    QMargins m_fittedFrame;
    // The outer place and size it was opened with, in twips and in pixels: an untouched
    // designer stores back exactly what it was given, not a value rounded through pixels.
    QRectF m_openedTwips;
    QRect m_openedPixels;
};

} // namespace corvane::editor
