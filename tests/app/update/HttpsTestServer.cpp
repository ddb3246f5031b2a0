#include "app/update/HttpsTestServer.h"

#include <QSslConfiguration>
#include <QSslSocket>

#include <memory>
#include <stdexcept>

namespace navora::test {

HttpsTestServer::HttpsTestServer(const QSslCertificate& certificate, const QSslKey& key)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone); // clients show no certificate
    m_server.setSslConfiguration(tls);
    connect(&m_server, &QSslServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection())
            accept(static_cast<QSslSocket*>(socket));
    });
    if (!m_server.listen(QHostAddress::LocalHost))
        throw std::runtime_error("the test server cannot listen: " + m_server.errorString().toStdString());
}

QUrl HttpsTestServer::address() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_server.serverPort()));
}

void HttpsTestServer::answer(const QByteArray& path, const QByteArray& bytes)
{
    m_answers.insert(path, bytes);
}

void HttpsTestServer::accept(QSslSocket* socket)
{
    socket->setParent(this);
    ++m_open;
    connect(socket, &QSslSocket::disconnected, this, [this, socket] {
        --m_open;
        socket->deleteLater();
    });
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QSslSocket::readyRead, this, [this, socket, received] {
        *received += socket->readAll();
        const auto end = received->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray requestHead = received->left(end);
        received->clear();
        respond(socket, requestHead);
    });
}

void HttpsTestServer::respond(QSslSocket* socket, const QByteArray& requestHead)
{
    const QByteArray requestLine = requestHead.left(requestHead.indexOf("\r\n"));
    m_requests.append(requestLine);
    if (m_holding) {
        m_held.append(socket);
        return;
    }
    const QList<QByteArray> parts = requestLine.split(' ');
    const QByteArray path = parts.size() > 1 ? parts.at(1) : QByteArray();
    socket->write(m_answers.value(path, m_answers.value({})));
    socket->disconnectFromHost();
}

void HttpsTestServer::sendToHeld(const QByteArray& bytes)
{
    for (const QPointer<QSslSocket>& socket : m_held) {
        if (socket)
            socket->write(bytes);
    }
}

void HttpsTestServer::closeHeld()
{
    for (const QPointer<QSslSocket>& socket : std::exchange(m_held, {})) {
        if (socket)
            socket->disconnectFromHost();
    }
}

int HttpsTestServer::heldCount() const
{
    int count = 0;
    for (const QPointer<QSslSocket>& socket : m_held)
        count += socket ? 1 : 0;
    return count;
}

QByteArray HttpsTestServer::head(int status, const QByteArray& headers)
{
    return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nConnection: close\r\n" + headers + "\r\n";
}

QByteArray HttpsTestServer::response(int status, const QByteArray& body, const QByteArray& extraHeaders)
{
    return head(status,
               "Content-Type: application/x-plist\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"
                   + extraHeaders)
        + body;
}

} // namespace navora::test
