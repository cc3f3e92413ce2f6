#include "desktopapp.h"

#include <QApplication>
#include <QIcon>

#include "appfonts.h"
#include "compositionguard.h"
#include "enterpressesbutton.h"
#include "messagebox.h"
#include "qttranslations.h"
#include "x11onwayland.h"

namespace corvane {

QIcon suiteIcon()
{
    QIcon icon; // the files are read when a window first needs the icon
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/corvane/corvane-%1.png").arg(size), QSize(size, size));
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
