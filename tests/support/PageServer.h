#pragma once

#include "widgets/PageView.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace nw::test {

// A one-page HTTP server on 127.0.0.1: every request gets the same answer.
class PageServer : public QObject {
public:
    PageServer(int status, QByteArray body, QByteArray contentType = "text/html; charset=utf-8")
        : status_(status)
        , body_(std::move(body))
        , contentType_(std::move(contentType)) {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                serve(socket);
        });
    }

    // An address of this server, path and query as given (already encoded).
    QUrl url(const QByteArray& pathAndQuery) const {
        return QUrl::fromEncoded("http://127.0.0.1:" + QByteArray::number(server_.serverPort()) +
                                 pathAndQuery);
    }

    QList<QByteArray> requests; // the request lines received: "GET /path?query HTTP/1.1"

private:
    void serve(QTcpSocket* socket) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // The slot keeps the head read so far: it may come in pieces.
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, head = QByteArray()]() mutable {
                    head += socket->readAll();
                    if (!head.contains("\r\n\r\n"))
                        return;
                    requests << head.left(head.indexOf("\r\n"));
                    head.clear();
                    socket->write("HTTP/1.1 " + QByteArray::number(status_) +
                                  " Answer\r\nContent-Type: " + contentType_ +
                                  "\r\nContent-Length: " + QByteArray::number(body_.size()) +
                                  "\r\nConnection: close\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
    }

    QTcpServer server_;
    int status_;
    QByteArray body_;
    QByteArray contentType_;
};

// Waits for the page's answer; the test server answers at once.
inline bool waitForPage(PageView* page) {
    return !page->loading() || QSignalSpy(page, &PageView::loaded).wait(20000);
}

} // namespace nw::test
