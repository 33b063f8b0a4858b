#include "widgets/PageView.h"
#include "platform/Shell.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>

namespace nw {

namespace {

constexpr int TransferTimeoutMs = 30000;

QString decodeBody(const QByteArray& body, const QString& contentType, bool html) {
    const qsizetype at = contentType.indexOf(QStringLiteral("charset="), 0, Qt::CaseInsensitive);
    if (at >= 0) {
        QString name = contentType.mid(at + 8).section(QLatin1Char(';'), 0, 0).trimmed();
        name.remove(QLatin1Char('"'));
        QStringDecoder decoder(name.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    if (html) {
        QStringDecoder decoder = QStringDecoder::decoderForHtml(body);
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

} // namespace

PageView::PageView(QWidget* parent)
    : QTextBrowser(parent)
    , network_(new QNetworkAccessManager(this)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::followLink);
}

PageView::~PageView() {
    if (reply_)
        reply_->abort();
}

void PageView::navigate(const QUrl& address) {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
        reply_->deleteLater();
    }
    address_ = address;
    body_.clear();
    cut_ = false;
    status_ = 0;
    setPlainText(QStringLiteral("Loading %1 ...").arg(address.toString()));
    QNetworkRequest request(address);
    request.setTransferTimeout(TransferTimeoutMs);
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &PageView::readSome);
    connect(reply_, &QNetworkReply::finished, this, &PageView::finish);
}

void PageView::readSome() {
    if (!reply_ || !reply_->isOpen())
        return;
    body_ += reply_->read(MaxPageBytes + 1 - body_.size());
    if (body_.size() > MaxPageBytes) {
        body_.truncate(MaxPageBytes);
        cut_ = true;
        reply_->abort();
    }
}

void PageView::finish() {
    QNetworkReply* reply = reply_;
    if (!reply)
        return;
    readSome();
    reply_ = nullptr;
    status_ = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (body_.isEmpty()) {
        // Like a browser: the reason stands where the page would have.
        setPlainText(reply->error() == QNetworkReply::NoError ? QString() : reply->errorString());
    } else {
        const bool html = type.contains(QStringLiteral("html"), Qt::CaseInsensitive) ||
                          (type.isEmpty() && body_.trimmed().startsWith('<'));
        const QString text = decodeBody(body_, type, html);
        if (html)
            setHtml(text);
        else
            setPlainText(text);
        if (cut_)
            append(QStringLiteral("\n[The page was cut after %1 bytes.]").arg(MaxPageBytes));
    }
    reply->deleteLater();
    emit loaded();
}

QVariant PageView::loadResource(int, const QUrl&) {
    // Pictures and style sheets of a page would be read from local files or left unfetched.
    return {};
}

void PageView::followLink(const QUrl& link) {
    const QUrl target = address_.resolved(link);
    const QString scheme = target.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        openUrl(target);
}

} // namespace nw
