#include "desktopapp.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include "appfonts.h"
#include "compositionguard.h"
#include "enterpressesbutton.h"
#include "messagebox.h"
#include "qttranslations.h"
#include "x11onwayland.h"

namespace corvane {

QIcon suiteIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        // Read as PNG and nothing else: a reader left to guess the format loads every image
        // plugin Qt has (Qt SVG among them) to ask each whether it reads the file, which costs
        // the reminder window program a good part of its start.
        QImageReader reader(QStringLiteral(":/corvane/corvane-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

void setUpDesktopApplication(QApplication* application, const QString& title, const QString& desktopEntry,
                             SuiteIconAt icon)
{
    forgetPlatformChoice();
    applyUiFont();
    loadJapaneseQtTexts(application);
    installEnterPressesFocusedButton(application);
    installCompositionGuard(application);
    if (icon == SuiteIconAt::Start)
        QApplication::setWindowIcon(suiteIcon());
    QGuiApplication::setDesktopFileName(desktopEntry);
    setMessageCaption(title);
}

} // namespace corvane
