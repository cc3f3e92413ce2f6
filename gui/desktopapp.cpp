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

void setUpDesktopApplication(QApplication* application, const QString& title, const QString& desktopEntry)
{
    forgetPlatformChoice();
    applyUiFont();
    loadJapaneseQtTexts(application);
    installEnterPressesFocusedButton(application);
    installCompositionGuard(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.svg")));
    QGuiApplication::setDesktopFileName(desktopEntry);
    setMessageCaption(title);
}

} // namespace corvane
