#pragma once
// Driving the editor's windows as a user would: clicks and keys through Qt Test, Japanese
// text through the input method.
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace corvane::test {

template <typename W = QWidget>
W* find(QWidget* window, const QString& name)
{
    auto* w = window->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

inline void click(QWidget* window, const QString& name)
{
    QTest::mouseClick(find(window, name), Qt::LeftButton);
    QCoreApplication::processEvents();
}

inline void typeText(QWidget* target, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(target, char(ch.unicode()));
        } else {
            QInputMethodEvent event;
            event.setCommitString(QString(ch));
            QApplication::sendEvent(target, &event);
        }
    }
}

// Focuses the box by a click, replaces its text by typing.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    QTest::mouseClick(edit, Qt::LeftButton);
    QCoreApplication::processEvents();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

inline bool activate(QWidget* window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

} // namespace corvane::test
