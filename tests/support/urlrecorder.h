#pragma once
// Stands in for the desktop's default applications: while it lives, every URL of its scheme
// that the program asks the desktop to open is recorded here instead of starting anything.
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace corvane::test {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    explicit UrlRecorder(const QString& scheme = QStringLiteral("file")) : m_scheme(scheme)
    {
        QDesktopServices::setUrlHandler(m_scheme, this, "open");
    }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(m_scheme); }

    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }

private:
    QString m_scheme;
};

} // namespace corvane::test
