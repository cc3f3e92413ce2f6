#pragma once
// The sound settings window: play a WAVE file, or hand the text to a speech program, or
// neither. Its values reach the general settings only through CaptureSoundSettings.
#include <QWidget>
#include <array>

#include "generalsettings.h"

class QCheckBox;
class QLineEdit;

namespace corvane::editor {

class SoundSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SoundSettingsWindow(QWidget* parent = nullptr);

    void fill(const SoundForm& form);
    SoundForm values() const;
    void focusWavePath();

signals:
    void registerRequested();
    void cancelRequested();

private:
    void createControls();
    void applyEnabling();

    QCheckBox* m_wave = nullptr;
    QCheckBox* m_speech = nullptr;
    QLineEdit* m_wavePath = nullptr;
    QLineEdit* m_repeat = nullptr;
    QLineEdit* m_textPath = nullptr;
    std::array<QLineEdit*, 3> m_commands{};
};

} // namespace corvane::editor
