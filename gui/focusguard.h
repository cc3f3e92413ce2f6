#pragma once
// Keeps the focus in a box whose text fails its check: leaving it by Tab or by a click shows
// the check's message (when it has one), the focus stays (or returns) in the box with its
// text, and the clicked control does not act, whether or not it takes the focus itself. A box
// that passes reports that it was left, which is when a window copies its rows into its store.
// Switching to another program or opening a menu is never refused.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace corvane {

class FocusGuard : public QObject {
    Q_OBJECT
public:
    // The check returns nullopt when the text passes; otherwise the message to show, or an
    // empty text to refuse silently.
    using Check = std::function<std::optional<QString>(const QString& text)>;
    // Adapts a check whose empty result means "passes".
    static Check withMessage(std::function<QString(const QString&)> check);
    // A check that refuses silently.
    static Check silent(std::function<bool(const QString&)> accepts);

    explicit FocusGuard(QWidget* window);
    ~FocusGuard() override;
    // A box without a check only reports being left.
    void guard(QLineEdit* box, Check check = {});

signals:
    void left(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool filterBox(QLineEdit* box, QEvent* event);
    bool filterWindowMouse(QObject* watched, QEvent* event);
    std::optional<QString> failure(QLineEdit* box) const;
    // Gives the focus back to `box`, after showing `message` when there is one.
    void takeFocusBack(QLineEdit* box, const QString& message);
    void watchWindowMouse(bool watch);

    QWidget* m_window;
    QHash<QObject*, Check> m_checks;
    // The guarded box that holds the focus: while it does, presses on the window are watched.
    QPointer<QLineEdit> m_focused;
    // A click took the focus from a refused box: its press takes the focus back.
    QPointer<QLineEdit> m_refusedByClick;
    QString m_refusedMessage;
    // A refused press is under way: its release does not act either.
    bool m_swallowing = false;
    bool m_watchingWindowMouse = false;
};

} // namespace corvane
