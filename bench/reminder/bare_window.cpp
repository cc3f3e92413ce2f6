// The least a window program built on Qt Widgets costs on this machine: it starts, shows one
// label with a Japanese line and ends after that label's first paint. The announcement benchmark
// sets the reminder window program's cold start beside this figure.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace {

class QuitAfterPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("9:00 定例会議"));
    QuitAfterPaint quitAfterPaint;
    label.installEventFilter(&quitAfterPaint);
    label.show();
    return app.exec();
}
