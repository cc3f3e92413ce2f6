#pragma once
// The general settings window: display time and advance, abbreviations, holidays, the
// economic-indicator group, and the doors to the designer and the sound settings window.
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

#include "displaydesigner.h"
#include "soundsettingswindow.h"
#include "generalsettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane::editor {

class GeneralSettingsWindow : public QWidget {
    Q_OBJECT
public:
    // Runs the economic-indicator import and calls back once with its outcome.
    using ImportRunner = std::function<void(std::function<void(bool ok, const QString& reason)> done)>;

    GeneralSettingsWindow(GeneralSettings& settings, ImportRunner importer, QWidget* parent = nullptr);
    ~GeneralSettingsWindow() override;

    // The open-window flags: set from opening a companion window until this window closes it
    // (a companion closed by its own close box leaves its flag set).
    bool designerShown() const { return m_designerShown; }
    bool soundSettingsShown() const { return m_soundSettingsShown; }

    DisplayDesigner* designer() const { return m_designer; }
    SoundSettingsWindow* soundWindow() const { return m_sound; }

signals:
    // Emitted after the settings were saved by "戻る" and "登録完了".
    void backRequested();
    void finishRequested();

private:
    void createControls();
    void createEconomicGroup();
    void setTabOrder();
    void fillControls();
    void captureControls();
    // The time differences and the address, which the import reads from the file.
    void captureEconomicControls();
    void showEconomicGroup(bool visible);
    void addHoliday();
    void deleteHolidays();
    void addNationalHolidays();
    void refillHolidays();
    QStringList holidayItems() const;
    void toggleDesigner();
    void closeDesigner();
    void toggleSoundWindow();
    void openSoundWindow();
    // CaptureSoundSettings and close; false (window left open) when the check failed.
    bool takeOverSound();
    void reimport();
    bool leave();

    GeneralSettings& m_settings;
    ImportRunner m_importer;
    QPointer<DisplayDesigner> m_designer;
    QPointer<SoundSettingsWindow> m_sound;
    bool m_designerShown = false;
    bool m_soundSettingsShown = false;

    QLineEdit* m_seconds = nullptr;
    QLineEdit* m_advance = nullptr;
    QLineEdit* m_lateLimit = nullptr;
    QLineEdit* m_holidayInput = nullptr;
    QListWidget* m_holidays = nullptr;
    std::array<QLineEdit*, kAbbreviationCount> m_abbreviations{};
    std::array<QLineEdit*, kAbbreviationCount> m_abbreviationTexts{};
    QCheckBox* m_economic = nullptr;
    QList<QWidget*> m_economicGroup;
    QLineEdit* m_et = nullptr;
    QLineEdit* m_cet = nullptr;
    QLineEdit* m_gmt = nullptr;
    QLineEdit* m_url = nullptr;
    QPushButton* m_reimport = nullptr;
    QPushButton* m_view = nullptr;
    QList<QWidget*> m_tabOrder;
};

} // namespace corvane::editor
