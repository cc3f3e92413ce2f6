#include "soundsettingswindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs.h"
#include "focusguard.h"
#include "formlayout.h"
#include "settingspath.h"
#include "twips.h"

namespace corvane::editor {

SoundSettingsWindow::SoundSettingsWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QString::fromUtf16(kEditorProgramName));
    setAttribute(Qt::WA_DeleteOnClose);
    createControls();
    applyEnabling();
}

void SoundSettingsWindow::createControls()
{
    auto* guard = new FocusGuard(this);
    m_wave = placed(new QCheckBox(QStringLiteral("WAVEファイルを鳴らす"), this), QStringLiteral("Check1"), 360, 240,
                    2175, 255);
    placeLabel(this, QStringLiteral("Label1"), QStringLiteral("WAVEファイルパス"), 600, 720);
    m_wavePath = placed(new QLineEdit(this), QStringLiteral("Text1"), 2520, 720, 3615, 270);
    auto* browseWave = placed(new QPushButton(this), QStringLiteral("Command3"), 6120, 720, 375, 255);
    placeLabel(this, QStringLiteral("Label2"), QStringLiteral("繰り返し回数"), 600, 1200);
    m_repeat = placed(new QLineEdit(this), QStringLiteral("Text2"), 2520, 1200, 495, 270);
    m_speech =
        placed(new QCheckBox(QStringLiteral("音声ソフトを使う"), this), QStringLiteral("Check2"), 360, 1680, 1695, 255);
    placeLabel(this, QStringLiteral("Label3"), QStringLiteral("テキストファイル　パス"), 600, 2160);
    m_textPath = placed(new QLineEdit(this), QStringLiteral("Text3"), 2520, 2160, 3615, 270);

    QList<QWidget*> order{m_wave, m_wavePath, browseWave, m_repeat, m_speech, m_textPath};
    for (int i = 0; i < 3; ++i) {
        const double top = 2760 + 360 * i;
        placeLabel(this, QStringLiteral("Label%1").arg(4 + i), QStringLiteral("SHELL %1").arg(i + 1), 600, top);
        m_commands[size_t(i)] = placed(new QLineEdit(this), arrayName("Text4", i), 2520, top, 3615, 270);
        auto* browse = placed(new QPushButton(this), arrayName("Command4", i), 6120, top, 375, 255);
        connect(browse, &QPushButton::clicked, this, [this, i] {
            if (const QString file = chooseFile(this); !file.isEmpty())
                m_commands[size_t(i)]->setText(file);
        });
        order << m_commands[size_t(i)] << browse;
    }
    auto* cancel =
        placed(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("Command2"), 3360, 4080, 1455, 375);
    auto* take =
        placed(new QPushButton(QStringLiteral("登録"), this), QStringLiteral("Command1"), 5040, 4080, 1455, 375);
    order << cancel << take;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    guard->guard(m_wavePath, FocusGuard::silent(acceptsAbsolutePath));
    guard->guard(m_textPath, FocusGuard::silent(acceptsAbsolutePath));
    guard->guard(m_repeat, FocusGuard::silent(acceptsRepeatCount));

    connect(m_wave, &QCheckBox::clicked, this, [this] {
        if (m_wave->isChecked())
            m_speech->setChecked(false);
        applyEnabling();
    });
    connect(m_speech, &QCheckBox::clicked, this, [this] {
        if (m_speech->isChecked())
            m_wave->setChecked(false);
        applyEnabling();
    });
    connect(browseWave, &QPushButton::clicked, this, [this] {
        if (const QString file = chooseFile(this); !file.isEmpty())
            m_wavePath->setText(file);
    });
    connect(take, &QPushButton::clicked, this, &SoundSettingsWindow::registerRequested);
    connect(cancel, &QPushButton::clicked, this, &SoundSettingsWindow::cancelRequested);
}

void SoundSettingsWindow::applyEnabling()
{
    m_wavePath->setEnabled(m_wave->isChecked());
    m_repeat->setEnabled(m_wave->isChecked());
    m_textPath->setEnabled(m_speech->isChecked());
    for (QLineEdit* command : m_commands)
        command->setEnabled(m_speech->isChecked());
}

void SoundSettingsWindow::fill(const SoundForm& form)
{
    m_wavePath->setText(form.wavePath);
    m_repeat->setText(form.repeatCount);
    m_textPath->setText(form.textPath);
    for (int i = 0; i < 3; ++i)
        m_commands[size_t(i)]->setText(form.commands[size_t(i)]);
    m_wave->setChecked(form.wave);
    m_speech->setChecked(form.speech && !form.wave);
    applyEnabling();
}

SoundForm SoundSettingsWindow::values() const
{
    SoundForm form;
    form.wave = m_wave->isChecked();
    form.wavePath = m_wavePath->text();
    form.repeatCount = m_repeat->text();
    form.speech = m_speech->isChecked();
    form.textPath = m_textPath->text();
    for (int i = 0; i < 3; ++i)
        form.commands[size_t(i)] = m_commands[size_t(i)]->text();
    return form;
}

void SoundSettingsWindow::focusWavePath()
{
    activateWindow();
    m_wavePath->setFocus(Qt::OtherFocusReason);
}

} // namespace corvane::editor
