#include "displaydesigner.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QShowEvent>
#include <cstdlib>

#include "colours.h"
#include "dialogs.h"
#include "formlayout.h"
#include "screenfit.h"
#include "twips.h"
#include "valueforms.h"

namespace corvane::editor {

namespace {

const QString kDefaultFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr double kDefaultHeight = 1455;
constexpr double kDefaultWidth = 2970;

double numberOr(const QString& text, double fallback) { return parseDecimal(text).value_or(fallback); }

ColourValue colourOr(const QString& text, int systemIndex)
{
    return parseColour(text).value_or(ColourValue::system(systemIndex));
}

// The window manager's frame around the client area; none until the window is framed.
QMargins frameOf(const QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect client = window->geometry();
    return QMargins(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                    outer.bottom() - client.bottom());
}

// Whole values without a decimal point, as the single-precision texts of the stored file.
QString numberText(double value) { return QString::number(float(value), 'g', 7); }

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
    const double left = numberOr(m_settings.displayValue(keyName(kLeftKey)), 0);
    const double top = numberOr(m_settings.displayValue(keyName(kTopKey)), 0);
    const double width = numberOr(m_settings.displayValue(keyName(kWidthKey)), kDefaultWidth);
    const double height = numberOr(m_settings.displayValue(keyName(kHeightKey)), kDefaultHeight);
    m_openedTwips = QRectF(left, top, width, height);
    // A frame stored too large or off every screen opens fitted to the screens.
    m_openedPixels = fitStoredWindow(
        QRect(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width), twipsToPixelsY(height)));
    move(m_openedPixels.topLeft());
    m_fittedFrame = frameOf(this);
    resize(std::max(1, m_openedPixels.width() - m_fittedFrame.left() - m_fittedFrame.right()),
           std::max(1, m_openedPixels.height() - m_fittedFrame.top() - m_fittedFrame.bottom()));
    applyColoursAndFont();
}

// QWidget::move places a window's frame, resize sizes its client area: when the frame
// appears or changes, the client gives up (or takes) the difference so the outer size holds.
void DisplayDesigner::keepOuterSizeAcrossFrameChange()
{
    if (!isVisible())
        return;
    const QMargins frame = frameOf(this);
    if (frame == m_fittedFrame)
        return;
    const int grownWidth = frame.left() + frame.right() - m_fittedFrame.left() - m_fittedFrame.right();
    const int grownHeight = frame.top() + frame.bottom() - m_fittedFrame.top() - m_fittedFrame.bottom();
    m_fittedFrame = frame;
    resize(std::max(1, width() - grownWidth), std::max(1, height() - grownHeight));
}

void DisplayDesigner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    keepOuterSizeAcrossFrameChange();
}

void DisplayDesigner::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    keepOuterSizeAcrossFrameChange();
}

void DisplayDesigner::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    keepOuterSizeAcrossFrameChange();
}

void DisplayDesigner::applyColoursAndFont()
{
    QPalette windowPalette = palette();
    const QColor back = toQColor(colourOr(m_settings.displayValue(keyName(kColourKey)), kButtonFaceIndex),
                                 windowPalette, QPalette::Button);
    const QColor text = toQColor(colourOr(m_settings.displayValue(keyName(kTextColourKey)), kButtonTextIndex),
                                 windowPalette, QPalette::ButtonText);
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
    if (watched == m_sample
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease))
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
    // On a scaled screen the untouched window comes back a pixel off what it was opened with.
    const int slack = scaledRoundingSlack(devicePixelRatioF());
    auto store = [&](const char16_t* key, int pixels, int openedPixels, double openedTwips, double twips) {
        m_settings.display[keyName(key)] = numberText(std::abs(pixels - openedPixels) <= slack ? openedTwips : twips);
    };
    store(kTopKey, outer.top(), m_openedPixels.top(), m_openedTwips.top(), pixelsToTwipsY(outer.top()));
    store(kLeftKey, outer.left(), m_openedPixels.left(), m_openedTwips.left(), pixelsToTwipsX(outer.left()));
    store(kHeightKey, outer.height(), m_openedPixels.height(), m_openedTwips.height(), pixelsToTwipsY(outer.height()));
    store(kWidthKey, outer.width(), m_openedPixels.width(), m_openedTwips.width(), pixelsToTwipsX(outer.width()));
}

} // namespace corvane::editor
