#include "entrywindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "busycursor.h"
#include "focusguard.h"
#include "formlayout.h"
#include "messagebox.h"
#include "settingspath.h"
#include "twips.h"

namespace corvane::editor {

namespace {

constexpr int kClientWidth = 10830;
constexpr int kClientHeight = 5280;
constexpr int kLastPageFirst = 40;

} // namespace

EntryWindow::EntryWindow(EntryStore& store, QWidget* parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf16(kEditorProgramName));
    setFixedSize(twipsToPixelsX(kClientWidth), twipsToPixelsY(kClientHeight));
    createControls();
    setTabOrder();
    // At start the rows show the store, then the first option takes the focus and so selects
    // "毎日".
    ShowPage();
    selectCategory(0);
    m_options[0]->setFocus(Qt::OtherFocusReason);
}

void EntryWindow::createControls()
{
    m_guard = new FocusGuard(this);
    connect(m_guard, &FocusGuard::left, this, [this] { CapturePage(); });

    placeLabel(this, QStringLiteral("Label1"), QStringLiteral("予定の登録"), 480, 240);
    auto* frame = new QGroupBox(QStringLiteral("区分"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    placeTwips(frame, 480, 600, 1335, 4455);

    for (int c = 0; c < kCategoryCount; ++c) {
        auto* option = placed(new QRadioButton(categoryCaption(c), this), arrayName("Option1", c), 720, 960 + 360 * c,
                              c == 0 ? 735 : 855, 255);
        // The window keeps exactly one option selected itself.
        option->setAutoExclusive(false);
        option->raise();
        connect(option, &QRadioButton::clicked, this, [this, c] { selectCategory(c); });
        m_options[size_t(c)] = option;
    }

    placeLabel(this, QStringLiteral("Label2"), QStringLiteral("番号"), 2400, 720);
    placeLabel(this, QStringLiteral("Label3"), QStringLiteral("指定日"), 3000, 720);
    placeLabel(this, QStringLiteral("Label4"), QStringLiteral("時刻"), 4320, 720);
    placeLabel(this, QStringLiteral("Label5"), QStringLiteral("表示内容"), 6960, 720);

    for (int i = 0; i < kRowsPerPage; ++i) {
        const double top = 960 + 240 * i;
        // Numbers end where the design's "10" ends, so two-digit numbers line up.
        auto* number = new QLabel(QString::number(i + 1), this);
        number->setObjectName(arrayName("Label6", i));
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        placeTwips(number, 2340, 1005 + 240 * i - 45, 360, 270);
        m_numbers[size_t(i)] = number;

        m_dates[size_t(i)] = placed(new QLineEdit(this), arrayName("Text1", i), 3000, top, 1215, 270);
        m_times[size_t(i)] = placed(new QLineEdit(this), arrayName("Text2", i), 4200, top, 735, 270);
        m_texts[size_t(i)] = placed(new QLineEdit(this), arrayName("Text3", i), 4920, top, 5175, 270);
        auto* clear = new QPushButton(this);
        clear->setObjectName(arrayName("Command1", i));
        placeTwips(clear, 10080, top, 255, 255);
        connect(clear, &QPushButton::clicked, this, [this, i] { clearRow(i); });
        m_clears[size_t(i)] = clear;

        m_guard->guard(m_dates[size_t(i)], FocusGuard::withMessage([this](const QString& text) {
                           return m_category == Dated ? checkDateText(text) : QString();
                       }));
        m_guard->guard(m_times[size_t(i)], FocusGuard::withMessage(checkTimeText));
        m_guard->guard(m_texts[size_t(i)]);
    }

    m_previous =
        placed(new QPushButton(QStringLiteral("前の登録"), this), QStringLiteral("Command2"), 8280, 360, 975, 375);
    m_next = placed(new QPushButton(QStringLiteral("次の登録"), this), QStringLiteral("Command3"), 9360, 360, 975, 375);
    m_countLine = placeLabel(this, QStringLiteral("Label7"), QString(), 7440, 3480);
    placeLabel(this, QStringLiteral("Label8"), QStringLiteral("予定表 (経済指標を除く)"), 2520, 3960);
    m_create = placed(new QPushButton(QStringLiteral("作成"), this), QStringLiteral("Command6"), 2760, 4320, 1095, 375);
    m_view = placed(new QPushButton(QStringLiteral("閲覧"), this), QStringLiteral("Command7"), 3960, 4320, 1095, 375);
    m_moveOn = placed(new QPushButton(QStringLiteral("次へ"), this), QStringLiteral("Command5"), 7200, 4320, 1455, 495);
    m_finish =
        placed(new QPushButton(QStringLiteral("登録完了"), this), QStringLiteral("Command4"), 8880, 4320, 1455, 495);

    connect(m_previous, &QPushButton::clicked, this, [this] { changePage(-kRowsPerPage); });
    connect(m_next, &QPushButton::clicked, this, [this] { changePage(kRowsPerPage); });
    connect(m_create, &QPushButton::clicked, this, &EntryWindow::createWorkbookRequested);
    connect(m_view, &QPushButton::clicked, this, &EntryWindow::viewWorkbookRequested);
    connect(m_moveOn, &QPushButton::clicked, this, [this] {
        if (save())
            emit moveOnRequested();
    });
    connect(m_finish, &QPushButton::clicked, this, [this] {
        if (save())
            emit finishRequested();
    });
}

void EntryWindow::setTabOrder()
{
    QList<QWidget*> order(m_options.begin(), m_options.end());
    for (int i = 0; i < kRowsPerPage; ++i)
        order << m_dates[size_t(i)] << m_times[size_t(i)] << m_texts[size_t(i)] << m_clears[size_t(i)];
    order << m_previous << m_next << m_create << m_view << m_moveOn << m_finish;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

int EntryWindow::firstSlot() const { return m_numbers[0]->text().toInt() - 1; }

void EntryWindow::CapturePage()
{
    const int first = firstSlot();
    for (int i = 0; i < kRowsPerPage; ++i) {
        m_store.setEntryDate(m_category, first + i, m_dates[size_t(i)]->text());
        m_store.setEntryTime(m_category, first + i, m_times[size_t(i)]->text());
        m_store.setEntryText(m_category, first + i, m_texts[size_t(i)]->text());
    }
}

void EntryWindow::ShowPage()
{
    const int first = firstSlot();
    for (int i = 0; i < kRowsPerPage; ++i) {
        if (m_category == Dated)
            m_dates[size_t(i)]->setText(m_store.entryDate(Dated, first + i));
        m_times[size_t(i)]->setText(m_store.entryTime(m_category, first + i));
        m_texts[size_t(i)]->setText(m_store.entryText(m_category, first + i));
    }
    m_countLine->setText(QStringLiteral("「%1」の登録件数は %2件です。")
                             .arg(m_options[size_t(m_category)]->text())
                             .arg(m_store.countEntries(m_category)));
    m_countLine->adjustSize();
}

void EntryWindow::selectCategory(int category)
{
    CapturePage();
    for (int c = 0; c < kCategoryCount; ++c)
        m_options[size_t(c)]->setChecked(c == category);
    m_category = category;
    for (QLineEdit* date : m_dates) {
        if (category == Dated) {
            date->setEnabled(true);
        } else {
            date->setText(m_options[size_t(category)]->text());
            date->setEnabled(false);
        }
    }
    ShowPage();
}

void EntryWindow::changePage(int delta)
{
    CapturePage();
    const int first = firstSlot() + delta;
    if (first < 0 || first > kLastPageFirst)
        return;
    for (int i = 0; i < kRowsPerPage; ++i)
        m_numbers[size_t(i)]->setText(QString::number(first + i + 1));
    ShowPage();
}

void EntryWindow::clearRow(int row)
{
    if (m_category == Dated)
        m_dates[size_t(row)]->clear();
    m_times[size_t(row)]->clear();
    m_texts[size_t(row)]->clear();
    CapturePage();
}

bool EntryWindow::save()
{
    CapturePage();
    const SaveOutcome outcome = [this] {
        const BusyCursor busy;
        return m_store.SaveEntries(SettingsPath());
    }();
    if (!outcome.ok()) {
        showMessage(this, outcome.message);
        if (outcome.kind == SaveOutcome::MissingDate)
            focusDate(outcome.category, outcome.slot);
        return false;
    }
    return true;
}

void EntryWindow::focusDate(int category, int slot)
{
    if (category != m_category)
        selectCategory(category);
    const int first = slot - slot % kRowsPerPage;
    changePage(first - firstSlot());
    m_dates[size_t(slot - first)]->setFocus(Qt::OtherFocusReason);
}

} // namespace corvane::editor
