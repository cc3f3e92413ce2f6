#pragma once
// The editor's state for its whole run (the entry store, later the general settings and the
// open-window flags) and the moves between its windows. Windows come and go; this stays.
#include <QObject>
#include <QPointer>
#include <functional>

#include "entrystore.h"
#include "entrywindow.h"
#include "generalsettingswindow.h"
#include "generalsettings.h"

namespace corvane::editor {

class EditorSession : public QObject {
    Q_OBJECT
public:
    explicit EditorSession(QObject* parent = nullptr);
    ~EditorSession() override;

    // Loads the entries and shows the entry window centred on the screen.
    void start();

    EntryStore& entries() { return m_entries; }
    GeneralSettings& general() { return m_general; }
    EntryWindow* entryWindow() const { return m_entryWindow; }
    GeneralSettingsWindow* generalWindow() const { return m_generalWindow; }

    // How the editor ends (the application quits by default; tests record it instead).
    void setEndEditor(std::function<void()> end) { m_endEditor = std::move(end); }
    // The runner restart after "登録完了" (RestartRunner by default): it calls its argument once
    // done, with the user's text of a failure or an empty one.
    using Restart = std::function<void(std::function<void(const QString& error)>)>;
    void setRestartRunner(Restart restart) { m_restart = std::move(restart); }
    // The economic-indicator import of "再作成".
    void setImportRunner(GeneralSettingsWindow::ImportRunner importer) { m_importer = std::move(importer); }

private:
    void showEntryWindow();
    void finish(QWidget* window);
    void moveOn();
    void back();
    void createWorkbook();

    EntryStore m_entries;
    GeneralSettings m_general;
    QPointer<EntryWindow> m_entryWindow;
    QPointer<GeneralSettingsWindow> m_generalWindow;
    GeneralSettingsWindow::ImportRunner m_importer;
    std::function<void()> m_endEditor;
    Restart m_restart;
    // A restart is under way: a second "登録完了" meanwhile does not start another.
    bool m_finishing = false;
};

} // namespace corvane::editor
