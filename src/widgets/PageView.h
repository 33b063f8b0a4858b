#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace nw {

// Fetches one page over HTTP and shows what came back: the page, a server's error page, or
// the network's error text. It never runs scripts, loads nothing else, and sends followed
// links to the user's browser.
class PageView : public QTextBrowser {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    void navigate(const QUrl& address);
    QUrl address() const { return address_; }
    bool loading() const { return !reply_.isNull(); }
    // The HTTP status of the last answer, 0 when none came.
    int status() const { return status_; }

    // Larger answers are cut here, so a runaway page cannot fill the memory.
    static constexpr qint64 MaxPageBytes = 2 * 1024 * 1024;

signals:
    // The answer, or the reason there is none, is on show.
    void loaded();

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void readSome();
    void finish();
    void followLink(const QUrl& link);

    QNetworkAccessManager* network_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QUrl address_;
    QByteArray body_;
    bool cut_ = false;
    int status_ = 0;
};

} // namespace nw
