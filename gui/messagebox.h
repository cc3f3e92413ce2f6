#pragma once
// Every message of the suite goes through here: a modal box with the text, one OK button,
// no icon, the program's title as caption. Tests replace the box with an interceptor.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace corvane {

void showMessage(QWidget* parent, const QString& text);

// The program's title, the caption of every message box (the program's file name until set).
void setMessageCaption(const QString& caption);

// While set, showMessage calls this instead of opening a box.
using MessageInterceptor = std::function<void(const QString& text)>;
void setMessageInterceptor(MessageInterceptor interceptor);

// Collects messages for the lifetime of the object (tests).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    QStringList messages;
};

} // namespace corvane
