#include "indicatorread.h"

#include <QEventLoop>
#include <QThread>
#include <memory>

namespace corvane {

IndicatorWorkbookRead readIndicatorWorkbookAnswering(const QString& path)
{
    IndicatorWorkbookRead read{path, {}, {}};
    const std::unique_ptr<QThread> reader(
        QThread::create([&read] { read.rows = ReadIndicatorWorkbook(read.path, &read.error); }));
    QEventLoop loop;
    // Queued to this thread: a read that ends before the loop runs still ends it.
    QObject::connect(reader.get(), &QThread::finished, &loop, &QEventLoop::quit);
    reader->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    reader->wait();
    return read;
}

} // namespace corvane
