// Every test executable runs inside a QApplication on the offscreen platform, so that
// widget tests and event-loop tests share one entry point.
#include <QApplication>
#include <gtest/gtest.h>

#include "appfonts.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    corvane::installFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
