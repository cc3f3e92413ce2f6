#include "displaydesigner.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QShowEvent>

#include "colours.h"
#include "dialogs.h"
#include "formlayout.h"
#include "twips.h"
#include "valueforms.h"

namespace corvane::editor {

namespace {

const QString kDefaultFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr double kDefaultHeight = 1455;
constexpr double kDefaultWidth = 2970;

double numberOr(const QString& text, double fallback)
{
    return parseDecimal(text).value_or(fallback);
}

ColourValue colourOr(const QString& text, int systemIndex)
{
    return parseColour(text).value_or(ColourValue::system(systemIndex));
}

// Whole values without a decimal point, as the single-precision texts of the stored file.
QString numberText(double value)
{
    return QString::number(float(value), 'g', 7);
}

} // namespace

DisplayDesigner::DisplayDesigner(GeneralSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("表示画面"));
    setAttribute(Qt::WA_DeleteOnClose);
    resetCustomColours();

    m_sample = new QLabel(QStringLiteral("ここに表示します"), this);
    m_sample->setObjectName(QStringLiteral("Label1"));
    m_sample->setAutoFillBackground(true);
    placeTwips(m_sample, 120, 120, 1305, 180);
    // The sample text has no menu of its own.
    m_sample->installEventFilter(this);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("POP"));
    m_popup->addAction(QStringLiteral("色の変更"), this, &DisplayDesigner::changeColour)
        ->setObjectName(QStringLiteral("色の変更"));
    m_popup->addAction(QStringLiteral("フォントの変更"), this, &DisplayDesigner::changeFont)
        ->setObjectName(QStringLiteral("フォントの変更"));
    // The platform's font dialog has no colour of its own.
    m_popup->addAction(QStringLiteral("文字色の変更"), this, &DisplayDesigner::changeTextColour)
        ->setObjectName(QStringLiteral("文字色の変更"));
    setAutoFillBackground(true);
}

void DisplayDesigner::applySettings()
{
    const int left = twipsToPixelsX(numberOr(m_settings.displayValue(keyName(kLeftKey)), 0));
    const int top = twipsToPixelsY(numberOr(m_settings.displayValue(keyName(kTopKey)), 0));
    const int width = twipsToPixelsX(numberOr(m_settings.displayValue(keyName(kWidthKey)), kDefaultWidth));
    const int height = twipsToPixelsY(numberOr(m_settings.displayValue(keyName(kHeightKey)), kDefaultHeight));
    move(left, top);
    m_outerSize = QSize(width, height);
    fitOuterSize();
    applyColoursAndFont();
}

// The stored size is the outer one: the frame comes off the client area.
void DisplayDesigner::fitOuterSize()
{
    const QSize frame = frameGeometry().size() - size();
    resize(std::max(1, m_outerSize.width() - frame.width()), std::max(1, m_outerSize.height() - frame.height()));
}

void DisplayDesigner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        fitOuterSize();
}

void DisplayDesigner::applyColoursAndFont()
{
    QPalette windowPalette = palette();
    const QColor back =
        toQColor(colourOr(m_settings.displayValue(keyName(kColourKey)), kButtonFaceIndex), windowPalette);
    const QColor text =
        toQColor(colourOr(m_settings.displayValue(keyName(kTextColourKey)), kButtonTextIndex), windowPalette);
    windowPalette.setColor(QPalette::Window, back);
    setPalette(windowPalette);
    QPalette samplePalette = m_sample->palette();
    samplePalette.setColor(QPalette::Window, back);
    samplePalette.setColor(QPalette::WindowText, text);
    m_sample->setPalette(samplePalette);

    const QString face = m_settings.displayValue(keyName(kFontNameKey));
    QFont font(face.isEmpty() ? kDefaultFace : face);
    font.setPointSize(int(roundHalfEven(numberOr(m_settings.displayValue(keyName(kFontSizeKey)), 9))));
    font.setBold(isFlagOn(m_settings.displayValue(keyName(kBoldKey))));
    font.setItalic(isFlagOn(m_settings.displayValue(keyName(kItalicKey))));
    font.setUnderline(isFlagOn(m_settings.displayValue(keyName(kUnderlineKey))));
    font.setStrikeOut(isFlagOn(m_settings.displayValue(keyName(kStrikeoutKey))));
    m_sample->setFont(font);
    m_sample->adjustSize();
    m_sample->move(twipsToPixelsX(120), twipsToPixelsY(120));
}

void DisplayDesigner::changeColour()
{
    const auto colour = chooseColour(this);
    if (!colour)
        return;
    m_settings.display[keyName(kColourKey)] = QString::number(fromQColor(*colour).raw);
    applyColoursAndFont();
}

void DisplayDesigner::changeTextColour()
{
    const auto colour = chooseColour(this);
    if (!colour)
        return;
    m_settings.display[keyName(kTextColourKey)] = QString::number(fromQColor(*colour).raw);
    applyColoursAndFont();
}

void DisplayDesigner::changeFont()
{
    // The dialog starts from its own last choice in this window, not from the stored font.
    const auto font = chooseFont(this, m_lastFont);
    if (!font)
        return;
    m_lastFont = *font;
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    m_settings.display[keyName(kFontNameKey)] = font->family();
    m_settings.display[keyName(kFontSizeKey)] = numberText(font->pointSizeF());
    m_settings.display[keyName(kBoldKey)] = flag(font->bold());
    m_settings.display[keyName(kItalicKey)] = flag(font->italic());
    m_settings.display[keyName(kUnderlineKey)] = flag(font->underline());
    m_settings.display[keyName(kStrikeoutKey)] = flag(font->strikeOut());
    applyColoursAndFont();
}

void DisplayDesigner::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        m_popup->popup(event->globalPosition().toPoint());
}

bool DisplayDesigner::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_sample && (event->type() == QEvent::MouseButtonPress ||
                                event->type() == QEvent::MouseButtonRelease))
        return true;
    return QWidget::eventFilter(watched, event);
}

void DisplayDesigner::closeEvent(QCloseEvent* event)
{
    storePosition();
    QWidget::closeEvent(event);
}

void DisplayDesigner::storePosition()
{
    const QRect outer = frameGeometry();
    m_settings.display[keyName(kTopKey)] = numberText(pixelsToTwipsY(outer.top()));
    m_settings.display[keyName(kLeftKey)] = numberText(pixelsToTwipsX(outer.left()));
    m_settings.display[keyName(kHeightKey)] = numberText(pixelsToTwipsY(outer.height()));
    m_settings.display[keyName(kWidthKey)] = numberText(pixelsToTwipsX(outer.width()));
}

} // namespace corvane::editor
