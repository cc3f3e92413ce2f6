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
constexpr int kRestartPauseMs = 300;

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
      m_restart([](QString* error) {
          const RunnerRestart result = RestartRunner(RestartWhen::IfRunning, kRestartPauseMs);
          if (error)
              *error = result.message();
          return result.ok();
      })
{
}

EditorSession::~EditorSession()
{
    delete m_form1;
    delete m_form2;
}

void EditorSession::start()
{
    showEntryWindow();
}

void EditorSession::showEntryWindow()
{
    QString error;
    const bool loaded = [&] {
        const BusyCursor busy;
        return m_entries.LoadEntries(SettingsPath(), &error);
    }();
    m_form1 = new EntryWindow(m_entries);
    m_form1->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_form1, &EntryWindow::finishRequested, this, [this] { finish(m_form1); });
    connect(m_form1, &EntryWindow::moveOnRequested, this, &EditorSession::moveOn);
    connect(m_form1, &EntryWindow::createWorkbookRequested, this, &EditorSession::createWorkbook);
    connect(m_form1, &EntryWindow::viewWorkbookRequested, this, [this] {
        if (const QString message = ViewScheduleWorkbook(); !message.isEmpty())
            showMessage(m_form1, message);
    });
    centre(m_form1);
    m_form1->show();
    if (!loaded)
        showMessage(m_form1, error);
}

void EditorSession::finish(QWidget* window)
{
    QString error;
    if (!m_restart(&error))
        showMessage(window, QStringLiteral("corvane_110を再起動できませんでした\n") + error);
    m_endEditor();
}

void EditorSession::moveOn()
{
    {
        const BusyCursor busy;
        LoadGeneralSettings(SettingsPath(), m_general);
    }
    m_form2 = new GeneralSettingsWindow(m_general, m_importer);
    m_form2->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_form2, &GeneralSettingsWindow::backRequested, this, &EditorSession::back);
    connect(m_form2, &GeneralSettingsWindow::finishRequested, this, [this] { finish(m_form2); });
    centre(m_form2);
    m_form2->show();
    // Shown first, so that closing the entry window does not end the editor.
    m_form1->close();
}

void EditorSession::back()
{
    showEntryWindow();
    m_form2->close();
}

void EditorSession::createWorkbook()
{
    m_form1->viewButton()->setEnabled(false);
    const QString message = CreateScheduleWorkbook();
    m_form1->viewButton()->setEnabled(true);
    if (!message.isEmpty())
        showMessage(m_form1, message);
}

} // namespace corvane::editor
