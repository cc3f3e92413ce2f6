#pragma once
// Keeps the focus in a field whose value is refused: while the check fails, a click on any
// other control of the window and Tab/Shift+Tab out of the field are swallowed, so the click
// does not take effect. Leaving the window itself is never blocked.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace corvane::controller {

class FieldGuard : public QObject {
    Q_OBJECT
public:
    // `accept` says whether the field's current value may be left.
    FieldGuard(QWidget* field, std::function<bool()> accept, QObject* parent = nullptr);
    // Controls whose clicks move the focus out of the field.
    void watch(const QList<QWidget*>& others);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool refuseLeaving();
    QPointer<QWidget> m_field;
    std::function<bool()> m_accept;
    // A refused press is under way: its release must not click either.
    bool m_blocking = false;
};

} // namespace corvane::controller
