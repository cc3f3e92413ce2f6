// A writer for the real-process tests of the settings file: several of these run at once
// or are killed at random moments while they write.
//
//   profile_tool keys <file> <prefix> <count>   writes <prefix>-0 .. <prefix>-(count-1) to
//                                               section "並行", one operation each
//   profile_tool generations <file> <first>     rewrites section "世代" whole, generation
//                                               after generation, until killed
#include "generationstate.h"
#include "profile.h"

#include <QCoreApplication>
#include <QString>
#include <cstdio>

using namespace corvane;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("keys")) {
        const int count = args[4].toInt();
        for (int i = 0; i < count; ++i) {
            QString error;
            const QString key = QStringLiteral("%1-%2").arg(args[3]).arg(i);
            if (!profile::writeString(args[2], QStringLiteral("並行"), key, QString::number(i), &error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
        }
        return 0;
    }
    if (args.size() == 4 && args[1] == QLatin1String("generations")) {
        for (int generation = args[3].toInt();; ++generation) {
            ProfileTransaction transaction(args[2]);
            test::writeGeneration(transaction, generation);
            QString error;
            if (!transaction.commit(&error)) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return 1;
            }
        }
    }
    std::fprintf(stderr, "usage: profile_tool keys FILE PREFIX COUNT | generations FILE FIRST\n");
    return 2;
}
