#include "editorsession.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

#include "form1.h"
#include "messagebox.h"
#include "restartrunner.h"
#include "settingspath.h"

namespace corvane::editor {

namespace {
void centre(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    window->move(screen->availableGeometry().center() - window->rect().center());
}
} // namespace

EditorSession::EditorSession(QObject* parent)
    : QObject(parent), m_endEditor([] { QCoreApplication::exit(0); }),
      m_restart([](QString* error) { return RestartRunner(error); })
{
}

EditorSession::~EditorSession()
{
    delete m_form1;
}

void EditorSession::start()
{
    showEntryWindow();
}

void EditorSession::showEntryWindow()
{
    QString error;
    const bool loaded = m_entries.LoadEntries(SettingsPath(), &error);
    m_form1 = new Form1(m_entries);
    m_form1->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_form1, &Form1::finishRequested, this, &EditorSession::finish);
    connect(m_form1, &Form1::moveOnRequested, this, &EditorSession::moveOn);
    connect(m_form1, &Form1::createWorkbookRequested, this, &EditorSession::notReady);
    connect(m_form1, &Form1::viewWorkbookRequested, this, &EditorSession::notReady);
    centre(m_form1);
    m_form1->show();
    if (!loaded)
        showMessage(m_form1, error);
}

void EditorSession::finish()
{
    QString error;
    if (!m_restart(&error))
        showMessage(m_form1, QStringLiteral("corvane_110を再起動できませんでした\n") + error);
    m_endEditor();
}

void EditorSession::moveOn()
{
    notReady();
}

void EditorSession::notReady()
{
    showMessage(m_form1, QStringLiteral("この機能は準備中です"));
}

} // namespace corvane::editor
