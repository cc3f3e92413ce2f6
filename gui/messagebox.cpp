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
} // namespace

void showMessage(QWidget* parent, const QString& text)
{
    if (interceptor()) {
        interceptor()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
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
