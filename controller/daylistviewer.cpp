#include "daylistviewer.h"

#include "announcedlines.h"
#include "busycursor.h"
#include "clock.h"
#include "settingspath.h"
#include "statefolder.h"
#include "twips.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace corvane::controller {

DayListViewer::DayListViewer(ControllerState& state, QWidget* parent) : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("表示予定"));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
}

void DayListViewer::createControls()
{
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    placeTwips(m_list, 120, 120, 4455, 2400);
    // The time column lines up only in a fixed-pitch face.
    QFont listFont(QStringLiteral("ＭＳ ゴシック"));
    listFont.setPointSize(9);
    listFont.setWeight(QFont::Normal);
    listFont.setFixedPitch(true);
    listFont.setStyleHint(QFont::TypeWriter);
    m_list->setFont(listFont);

    m_today = new QRadioButton(QStringLiteral("本日"), this);
    m_today->setObjectName(QStringLiteral("Option1"));
    // The three choices sit in a row under the list, from its left edge, so that the longest
    // caption ("お知らせ済み") fits whole before the close button.
    placeTwips(m_today, 120, 2700, 735, 180);
    m_tomorrow = new QRadioButton(QStringLiteral("翌日"), this);
    m_tomorrow->setObjectName(QStringLiteral("Option2"));
    placeTwips(m_tomorrow, 915, 2700, 735, 180);
    m_announced = new QRadioButton(QStringLiteral("お知らせ済み"), this);
    m_announced->setObjectName(QStringLiteral("Option3"));
    placeTwips(m_announced, 1710, 2700, 1455, 180);
    auto* group = new QButtonGroup(this);
    group->addButton(m_today);
    group->addButton(m_tomorrow);
    group->addButton(m_announced);

    m_close = new QPushButton(QStringLiteral("閉じる"), this);
    m_close->setObjectName(QStringLiteral("Command1"));
    placeTwips(m_close, 3240, 2640, 1335, 350);

    setTabOrder(m_list, m_today);
    setTabOrder(m_today, m_tomorrow);
    setTabOrder(m_tomorrow, m_announced);
    setTabOrder(m_announced, m_close);

    // A click on the selected option reads the file again: the list is never refreshed
    // by itself.
    connect(m_today, &QRadioButton::clicked, this, [this] { fill(ViewerDay::Today); });
    connect(m_tomorrow, &QRadioButton::clicked, this, [this] { fill(ViewerDay::Tomorrow); });
    connect(m_announced, &QRadioButton::clicked, this, &DayListViewer::fillAnnounced);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void DayListViewer::selectToday()
{
    m_today->setChecked(true);
    fill(ViewerDay::Today);
}

void DayListViewer::selectTomorrow()
{
    m_tomorrow->setChecked(true);
    fill(ViewerDay::Tomorrow);
}

void DayListViewer::fillAnnounced()
{
    m_list->clear();
    m_list->addItems(announcedLines(runnerStateFolder(), Clock::today()));
}

void DayListViewer::fill(ViewerDay day)
{
    m_list->clear();
    const BusyCursor busy;
    m_list->addItems(buildViewerLines(SettingsPath(), day, m_state.abbreviations));
}

void DayListViewer::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

QStringList DayListViewer::lines() const
{
    QStringList result;
    for (int i = 0; i < m_list->count(); ++i)
        result.append(m_list->item(i)->text());
    return result;
}

} // namespace corvane::controller
