#include "generalsettingswindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "busycursor.h"
#include "focusguard.h"
#include "displaydesigner.h"
#include "soundsettingswindow.h"
#include "formlayout.h"
#include "messagebox.h"
#include "nationalholidayadd.h"
#include "settingspath.h"
#include "twips.h"
#include "workbookview.h"

namespace corvane::editor {

namespace {
constexpr int kClientWidth = 10830;
constexpr int kClientHeight = 5280;
constexpr int kSoundWindowWidth = 7035;
constexpr int kSoundWindowHeight = 4995;
} // namespace

GeneralSettingsWindow::GeneralSettingsWindow(GeneralSettings& settings, ImportRunner importer, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_importer(std::move(importer))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf16(kEditorProgramName));
    setFixedSize(twipsToPixelsX(kClientWidth), twipsToPixelsY(kClientHeight));
    createControls();
    createEconomicGroup();
    setTabOrder();
    fillControls();
    m_seconds->setFocus(Qt::OtherFocusReason);
}

GeneralSettingsWindow::~GeneralSettingsWindow()
{
    delete m_designer;
    delete m_sound;
}

void GeneralSettingsWindow::createControls()
{
    auto* guard = new FocusGuard(this);
    placeLabel(this, QStringLiteral("Label1"), QStringLiteral("表示時間(秒)"), 360, 240);
    m_seconds = placed(new QLineEdit(this), QStringLiteral("Text1"), 1680, 240, 615, 270);
    placeLabel(this, QStringLiteral("Label2"), QStringLiteral("事前表示(分)"), 2880, 240);
    m_advance = placed(new QLineEdit(this), QStringLiteral("Text2"), 4200, 240, 615, 270);
    // Under the advance it goes with: how late a reminder missed while the computer slept may
    // still be shown.
    placeLabel(this, QStringLiteral("Label15"), QStringLiteral("スリープ後の表示(分以内)"), 2880, 600);
    m_lateLimit = placed(new QLineEdit(this), QStringLiteral("Text10"), 5040, 600, 615, 270);
    guard->guard(m_seconds, FocusGuard::silent(acceptsNonNegativeWhole));
    guard->guard(m_advance, FocusGuard::silent(acceptsNonNegativeWhole));
    guard->guard(m_lateLimit, FocusGuard::silent(acceptsNonNegativeWhole));
    m_tabOrder << m_seconds << m_advance << m_lateLimit;

    placeLabel(this, QStringLiteral("Label6"), QStringLiteral("表示内容の略称登録"), 360, 720);
    placeLabel(this, QStringLiteral("Label7"), QStringLiteral("略称"), 600, 1080);
    placeLabel(this, QStringLiteral("Label8"), QStringLiteral("表示内容"), 3480, 1080);
    for (int i = 0; i < kAbbreviationCount; ++i) {
        const double top = 1320 + 240 * i;
        m_abbreviations[size_t(i)] = placed(new QLineEdit(this), arrayName("Text4", i), 600, top, 975, 270);
        m_abbreviationTexts[size_t(i)] = placed(new QLineEdit(this), arrayName("Text5", i), 1560, top, 4815, 270);
        m_tabOrder << m_abbreviations[size_t(i)] << m_abbreviationTexts[size_t(i)];
    }

    placeLabel(this, QStringLiteral("Label5"), QStringLiteral("祝日の登録"), 7080, 240);
    m_holidayInput = placed(new QLineEdit(this), QStringLiteral("Text3"), 7200, 600, 1455, 270);
    guard->guard(m_holidayInput, FocusGuard::silent(acceptsDateText));
    auto* add =
        placed(new QPushButton(QStringLiteral("追加"), this), QStringLiteral("Command2"), 7200, 1080, 1455, 375);
    auto* remove =
        placed(new QPushButton(QStringLiteral("削除"), this), QStringLiteral("Command1"), 7200, 1560, 1455, 375);
    auto* national = placed(new QPushButton(QStringLiteral("国民の祝日を追加"), this), QStringLiteral("Command9"), 7200,
                            2040, 1455, 375);
    m_holidays = placed(new QListWidget(this), QStringLiteral("List1"), 8880, 600, 1455, 1860);
    m_holidays->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(add, &QPushButton::clicked, this, &GeneralSettingsWindow::addHoliday);
    connect(remove, &QPushButton::clicked, this, &GeneralSettingsWindow::deleteHolidays);
    connect(national, &QPushButton::clicked, this, &GeneralSettingsWindow::addNationalHolidays);
    m_tabOrder << m_holidayInput << add << remove << national << m_holidays;

    auto* designer = placed(new QPushButton(QStringLiteral("表示画面の設定"), this), QStringLiteral("Command3"), 7200,
                            3000, 1455, 495);
    auto* sound =
        placed(new QPushButton(QStringLiteral("音の設定"), this), QStringLiteral("Command8"), 8880, 3000, 1455, 495);
    connect(designer, &QPushButton::clicked, this, &GeneralSettingsWindow::toggleDesigner);
    connect(sound, &QPushButton::clicked, this, &GeneralSettingsWindow::toggleSoundWindow);
    m_tabOrder << designer << sound;

    m_economic = placed(new QCheckBox(QStringLiteral("経済指標公表予定を表示する"), this), QStringLiteral("Check1"),
                        360, 4080, 2655, 255);
    connect(m_economic, &QCheckBox::toggled, this, &GeneralSettingsWindow::showEconomicGroup);
    m_tabOrder << m_economic;
}

void GeneralSettingsWindow::createEconomicGroup()
{
    auto* guard = new FocusGuard(this);
    m_economicGroup << placeLabel(this, QStringLiteral("Label3"), QStringLiteral("予定表"), 4920, 4120)
                    << placeLabel(this, QStringLiteral("Label4"), QStringLiteral("(経済指標)"), 5520, 4120)
                    << placeLabel(this, QStringLiteral("Label9"), QStringLiteral("時差(時間)"), 480, 4560)
                    << placeLabel(this, QStringLiteral("Label11"), QStringLiteral("ET"), 1440, 4560)
                    << placeLabel(this, QStringLiteral("Label12"), QStringLiteral("CET"), 2400, 4560)
                    << placeLabel(this, QStringLiteral("Label13"), QStringLiteral("GMT"), 3480, 4560);
    m_et = placed(new QLineEdit(this), QStringLiteral("Text6"), 1800, 4560, 375, 270);
    m_cet = placed(new QLineEdit(this), QStringLiteral("Text7"), 2880, 4560, 375, 270);
    m_gmt = placed(new QLineEdit(this), QStringLiteral("Text8"), 3960, 4560, 375, 270);
    for (QLineEdit* box : {m_et, m_cet, m_gmt})
        guard->guard(box, FocusGuard::withMessage(checkTimeDifference));
    // The calendar's address, below the time differences it goes with.
    m_economicGroup << placeLabel(this, QStringLiteral("Label14"), QStringLiteral("URL"), 480, 4920);
    m_url = placed(new QLineEdit(this), QStringLiteral("Text9"), 1080, 4920, 5535, 270);
    guard->guard(m_url, FocusGuard::withMessage(checkCalendarUrl));
    m_reimport =
        placed(new QPushButton(QStringLiteral("再作成"), this), QStringLiteral("Command6"), 4800, 4440, 855, 375);
    m_view = placed(new QPushButton(QStringLiteral("閲覧"), this), QStringLiteral("Command7"), 5760, 4440, 855, 375);
    connect(m_reimport, &QPushButton::clicked, this, &GeneralSettingsWindow::reimport);
    connect(m_view, &QPushButton::clicked, this, [this] {
        if (const QString message = ViewIndicatorWorkbook(); !message.isEmpty())
            showMessage(this, message);
    });
    m_economicGroup << m_et << m_cet << m_gmt << m_url << m_reimport << m_view;
    m_tabOrder << m_et << m_cet << m_gmt << m_url << m_reimport << m_view;

    auto* back =
        placed(new QPushButton(QStringLiteral("戻る"), this), QStringLiteral("Command4"), 7200, 4320, 1455, 495);
    auto* finish =
        placed(new QPushButton(QStringLiteral("登録完了"), this), QStringLiteral("Command5"), 8880, 4320, 1455, 495);
    connect(back, &QPushButton::clicked, this, [this] {
        if (leave())
            emit backRequested();
    });
    connect(finish, &QPushButton::clicked, this, [this] {
        if (leave())
            emit finishRequested();
    });
    m_tabOrder << back << finish;
}

void GeneralSettingsWindow::setTabOrder()
{
    for (qsizetype i = 1; i < m_tabOrder.size(); ++i)
        QWidget::setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
}

void GeneralSettingsWindow::fillControls()
{
    m_economic->setChecked(m_settings.economic);
    showEconomicGroup(m_settings.economic);
    m_seconds->setText(m_settings.displaySeconds);
    m_advance->setText(m_settings.advanceMinutes);
    m_lateLimit->setText(m_settings.lateLimitMinutes);
    m_et->setText(m_settings.et);
    m_cet->setText(m_settings.cet);
    m_gmt->setText(m_settings.gmt);
    m_url->setText(m_settings.calendarUrl);
    refillHolidays();
    for (int i = 0; i < kAbbreviationCount; ++i) {
        m_abbreviations[size_t(i)]->setText(m_settings.abbreviations[size_t(i)]);
        m_abbreviationTexts[size_t(i)]->setText(m_settings.abbreviationTexts[size_t(i)]);
    }
}

void GeneralSettingsWindow::captureControls()
{
    m_settings.economic = m_economic->isChecked();
    m_settings.displaySeconds = m_seconds->text();
    m_settings.advanceMinutes = m_advance->text();
    m_settings.lateLimitMinutes = m_lateLimit->text();
    captureEconomicControls();
    for (int i = 0; i < kAbbreviationCount; ++i) {
        m_settings.abbreviations[size_t(i)] = m_abbreviations[size_t(i)]->text();
        m_settings.abbreviationTexts[size_t(i)] = m_abbreviationTexts[size_t(i)]->text();
    }
}

void GeneralSettingsWindow::captureEconomicControls()
{
    m_settings.et = m_et->text();
    m_settings.cet = m_cet->text();
    m_settings.gmt = m_gmt->text();
    m_settings.calendarUrl = m_url->text().trimmed();
}

void GeneralSettingsWindow::showEconomicGroup(bool visible)
{
    for (QWidget* w : m_economicGroup)
        w->setVisible(visible);
}

void GeneralSettingsWindow::addHoliday()
{
    const QString text = m_holidayInput->text();
    if (text.isEmpty())
        return;
    const auto date = holidayFromInput(text);
    if (!date) {
        showMessage(this, QStringLiteral("年月日をyyyy/m/dの形式で記入してください"));
        return;
    }
    QStringList items = holidayItems();
    items << *date;
    m_holidayInput->clear();
    m_settings.HolidayDates = RebuildHolidayList(items);
    refillHolidays();
}

void GeneralSettingsWindow::deleteHolidays()
{
    QStringList items;
    for (int i = 0; i < m_holidays->count(); ++i) {
        if (!m_holidays->item(i)->isSelected())
            items << m_holidays->item(i)->text();
    }
    m_settings.HolidayDates = RebuildHolidayList(items);
    refillHolidays();
}

void GeneralSettingsWindow::addNationalHolidays()
{
    const NationalHolidayAddition added = editor::addNationalHolidays(holidayItems());
    m_settings.HolidayDates = added.list;
    refillHolidays();
    if (!added.message.isEmpty())
        showMessage(this, added.message);
}

QStringList GeneralSettingsWindow::holidayItems() const
{
    QStringList items;
    for (int i = 0; i < m_holidays->count(); ++i)
        items << m_holidays->item(i)->text();
    return items;
}

void GeneralSettingsWindow::refillHolidays()
{
    m_holidays->clear();
    m_holidays->addItems(m_settings.HolidayDates);
}

void GeneralSettingsWindow::toggleDesigner()
{
    if (!m_designerShown) {
        m_designer = new DisplayDesigner(m_settings, this);
        m_designer->applySettings();
        m_designer->show();
        m_designerShown = true;
    } else {
        closeDesigner();
    }
}

void GeneralSettingsWindow::closeDesigner()
{
    // Closing stores the designer's place and size.
    if (m_designer)
        m_designer->close();
    m_designerShown = false;
}

void GeneralSettingsWindow::toggleSoundWindow()
{
    if (!m_soundSettingsShown)
        openSoundWindow();
    else
        takeOverSound();
}

void GeneralSettingsWindow::openSoundWindow()
{
    m_sound = new SoundSettingsWindow(this);
    m_sound->fill(soundFormFrom(m_settings));
    connect(m_sound, &SoundSettingsWindow::registerRequested, this, &GeneralSettingsWindow::takeOverSound);
    connect(m_sound, &SoundSettingsWindow::cancelRequested, this, [this] {
        m_soundSettingsShown = false;
        m_sound->close();
    });
    m_soundSettingsShown = true;
    m_sound->move(frameGeometry().topLeft());
    m_sound->resize(twipsToPixelsX(kSoundWindowWidth), twipsToPixelsY(kSoundWindowHeight));
    m_sound->show();
}

bool GeneralSettingsWindow::takeOverSound()
{
    if (m_sound) {
        if (const QString message = CaptureSoundSettings(m_sound->values(), m_settings); !message.isEmpty()) {
            showMessage(m_sound, message);
            m_sound->focusWavePath();
            return false;
        }
        m_sound->close();
    }
    m_soundSettingsShown = false;
    return true;
}

void GeneralSettingsWindow::reimport()
{
    if (!m_importer)
        return;
    // The import reads the file: what the boxes show goes there first.
    for (QLineEdit* box : {m_et, m_cet, m_gmt}) {
        if (const QString message = checkTimeDifference(box->text()); !message.isEmpty()) {
            showMessage(this, message);
            box->setFocus();
            return;
        }
    }
    if (const QString message = checkCalendarUrl(m_url->text().trimmed()); !message.isEmpty()) {
        showMessage(this, message);
        m_url->setFocus();
        return;
    }
    captureEconomicControls();
    QString error;
    if (!SaveEconomicSettings(SettingsPath(), m_settings, &error)) {
        showMessage(this, error);
        return;
    }
    m_view->setEnabled(false);
    m_reimport->setEnabled(false);
    m_importer([self = QPointer<GeneralSettingsWindow>(this)](bool ok, const QString& reason) {
        if (!self)
            return;
        self->m_view->setEnabled(true);
        self->m_reimport->setEnabled(true);
        if (!ok)
            showMessage(self, QStringLiteral("経済指標を取り込めませんでした\n") + reason);
    });
}

bool GeneralSettingsWindow::leave()
{
    if (m_designerShown)
        closeDesigner();
    if (m_soundSettingsShown && !takeOverSound())
        return false;
    captureControls();
    QString error;
    const bool saved = [&] {
        const BusyCursor busy;
        return SaveGeneralSettings(SettingsPath(), m_settings, &error);
    }();
    if (!saved) {
        showMessage(this, error);
        return false;
    }
    return true;
}

} // namespace corvane::editor
