#pragma once
// Return and keypad Enter press the push button that has the keyboard focus, as Windows users
// expect (Qt leaves that to Space outside dialogs). No button becomes a default button: Enter
// in a text box keeps its own meaning.
class QCoreApplication;

namespace corvane {

// Once per application; later calls do nothing.
void installEnterPressesFocusedButton(QCoreApplication* application);

} // namespace corvane
