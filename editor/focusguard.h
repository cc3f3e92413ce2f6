#pragma once
// Keeps the focus in a box whose text fails its check: leaving it by Tab or by a click shows
// the check's message, the focus stays (or returns) in the box with its text, and the clicked
// control does not act. A box that passes reports that it was left, which is when the window
// copies its rows into the store.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class QLineEdit;
class QWidget;

namespace corvane::editor {

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
    std::optional<QString> failure(QLineEdit* box) const;
    void refuseMouseLeave(QLineEdit* box, const QString& message);
    bool swallowMouse(QObject* watched, QEvent* event);

    QWidget* m_window;
    QHash<QObject*, Check> m_checks;
    bool m_swallowing = false;
};

} // namespace corvane::editor
