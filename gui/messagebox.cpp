#include "messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace corvane {

namespace {
MessageInterceptor& interceptor()
{
    static MessageInterceptor i;
    return i;
}
QString& caption()
{
    static QString c;
    return c;
}
} // namespace

void setMessageCaption(const QString& text) { caption() = text; }

void showMessage(QWidget* parent, const QString& text)
{
    if (interceptor()) {
        interceptor()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption().isEmpty() ? QCoreApplication::applicationName() : caption(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

void setMessageInterceptor(MessageInterceptor i) { interceptor() = std::move(i); }

MessageRecorder::MessageRecorder()
{
    setMessageInterceptor([this](const QString& text) { messages.append(text); });
}

MessageRecorder::~MessageRecorder() { setMessageInterceptor({}); }

} // namespace corvane
