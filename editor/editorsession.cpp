#include "editorsession.h"

#include <QApplication>
#include <QScreen>
#include <QPushButton>

#include "busycursor.h"
#include "entrywindow.h"
#include "indicatorimport.h"
#include "messagebox.h"
#include "runnercontrol.h"
#include "scheduleworkbook.h"
#include "workbookview.h"
#include "settingspath.h"

namespace corvane::editor {

namespace {
// Between the old runner's confirmed end and the new runner's start.
void centre(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    window->move(screen->availableGeometry().center() - window->rect().center());
}
} // namespace

EditorSession::EditorSession(QObject* parent)
    : QObject(parent), m_importer(importEconomicCalendar()), m_endEditor([] { QCoreApplication::exit(0); }),
      m_restart([this](std::function<void(const QString&)> done) {
          RestartRunner(RestartWhen::IfRunning, this,
                        [done = std::move(done)](const RunnerRestart& result) { done(result.message()); });
      })
{
}

EditorSession::~EditorSession()
{
    delete m_entryWindow;
    delete m_generalWindow;
}

void EditorSession::start() { showEntryWindow(); }

void EditorSession::showEntryWindow()
{
    QString error;
    const bool loaded = [&] {
        const BusyCursor busy;
        return m_entries.LoadEntries(SettingsPath(), &error);
    }();
    m_entryWindow = new EntryWindow(m_entries);
    m_entryWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_entryWindow, &EntryWindow::finishRequested, this, [this] { finish(m_entryWindow); });
    connect(m_entryWindow, &EntryWindow::moveOnRequested, this, &EditorSession::moveOn);
    connect(m_entryWindow, &EntryWindow::createWorkbookRequested, this, &EditorSession::createWorkbook);
    connect(m_entryWindow, &EntryWindow::viewWorkbookRequested, this, [this] {
        if (const QString message = ViewScheduleWorkbook(); !message.isEmpty())
            showMessage(m_entryWindow, message);
    });
    centre(m_entryWindow);
    m_entryWindow->show();
    if (!loaded)
        showMessage(m_entryWindow, error);
}

void EditorSession::finish(QWidget* window)
{
    if (m_finishing)
        return;
    m_finishing = true;
    QPointer<QWidget> shown(window);
    m_restart([this, shown](const QString& error) {
        if (!error.isEmpty())
            showMessage(shown, QStringLiteral("corvane_110を再起動できませんでした\n") + error);
        m_finishing = false;
        m_endEditor();
    });
}

void EditorSession::moveOn()
{
    {
        const BusyCursor busy;
        LoadGeneralSettings(SettingsPath(), m_general);
    }
    m_generalWindow = new GeneralSettingsWindow(m_general, m_importer);
    m_generalWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_generalWindow, &GeneralSettingsWindow::backRequested, this, &EditorSession::back);
    connect(m_generalWindow, &GeneralSettingsWindow::finishRequested, this, [this] { finish(m_generalWindow); });
    centre(m_generalWindow);
    m_generalWindow->show();
    // Shown first, so that closing the entry window does not end the editor.
    m_entryWindow->close();
}

void EditorSession::back()
{
    showEntryWindow();
    m_generalWindow->close();
}

void EditorSession::createWorkbook()
{
    m_entryWindow->viewButton()->setEnabled(false);
    const QString message = CreateScheduleWorkbook();
    m_entryWindow->viewButton()->setEnabled(true);
    if (!message.isEmpty())
        showMessage(m_entryWindow, message);
}

} // namespace corvane::editor
