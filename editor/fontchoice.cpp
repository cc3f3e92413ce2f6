#include "fontchoice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "valueforms.h"

namespace corvane::editor {

namespace {
const double kOfferedPoints[] = {8, 9, 10, 10.5, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
}

FontChoiceDialog::FontChoiceDialog(const QFont& initial, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontChoice"));
    setWindowTitle(QStringLiteral("フォント"));

    m_face = new QFontComboBox(this);
    m_face->setObjectName(QStringLiteral("Face"));
    m_face->setCurrentFont(initial);
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("Size"));
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    for (const double points : kOfferedPoints)
        m_size->addItem(QString::number(points));
    m_size->setEditText(QString::number(initial.pointSizeF() > 0 ? initial.pointSizeF() : 9));

    m_bold = new QCheckBox(QStringLiteral("太字"), this);
    m_italic = new QCheckBox(QStringLiteral("斜体"), this);
    m_underline = new QCheckBox(QStringLiteral("下線"), this);
    m_strikeOut = new QCheckBox(QStringLiteral("取り消し線"), this);
    m_bold->setChecked(initial.bold());
    m_italic->setChecked(initial.italic());
    m_underline->setChecked(initial.underline());
    m_strikeOut->setChecked(initial.strikeOut());

    m_sample = new QLabel(QStringLiteral("ここに表示します　Aa"), this);
    m_sample->setObjectName(QStringLiteral("Sample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumSize(280, 80);
    m_sample->setFrameShape(QFrame::StyledPanel);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("フォント名"), m_face);
    form->addRow(QStringLiteral("サイズ"), m_size);
    auto* effects = new QGridLayout;
    effects->addWidget(m_bold, 0, 0);
    effects->addWidget(m_italic, 0, 1);
    effects->addWidget(m_underline, 1, 0);
    effects->addWidget(m_strikeOut, 1, 1);
    form->addRow(QStringLiteral("スタイル"), effects);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("サンプル"), this));
    layout->addWidget(m_sample);
    layout->addWidget(m_buttons);

    connect(m_face, &QFontComboBox::currentFontChanged, this, &FontChoiceDialog::update);
    connect(m_size, &QComboBox::editTextChanged, this, &FontChoiceDialog::update);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, &FontChoiceDialog::update);
    update();
}

QFont FontChoiceDialog::chosenFont() const
{
    // The family shown, not the name it was primed with ("MS UI Gothic" shows as its substitute).
    QFont font(m_face->currentText());
    font.setPointSizeF(parseFontPoints(m_size->currentText()).value_or(9));
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    return font;
}

// A size that is not a whole or half point cannot be confirmed.
void FontChoiceDialog::update()
{
    const bool sizeOk = parseFontPoints(m_size->currentText()).has_value();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(sizeOk);
    if (sizeOk)
        m_sample->setFont(chosenFont());
}

} // namespace corvane::editor
