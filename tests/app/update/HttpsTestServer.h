#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSslServer>
#include <QUrl>

class QSslCertificate;
class QSslKey;
class QSslSocket;

namespace navora::test {

// A small HTTPS server on 127.0.0.1 for one test. Each request is answered
// with the bytes set for its path (then the connection closes), or, while
// requests are held, waits until the test sends or closes.
class HttpsTestServer : public QObject {
public:
    HttpsTestServer(const QSslCertificate& certificate, const QSslKey& key);

    QUrl address() const; // https://127.0.0.1:<port>

    // The whole answer to a request for path (an empty path: any other).
    void answer(const QByteArray& path, const QByteArray& bytes);
    void holdRequests() { m_holding = true; }
    // To every held connection.
    void sendToHeld(const QByteArray& bytes);
    void closeHeld();

    // The request lines received ("GET /path HTTP/1.1"), in order.
    const QList<QByteArray>& requests() const { return m_requests; }
    int heldCount() const;
    int openConnections() const { return m_open; }

    // An HTTP/1.1 answer with the body's length announced.
    static QByteArray response(int status, const QByteArray& body, const QByteArray& extraHeaders = {});
    // Status line and headers only, for answers the test writes itself.
    static QByteArray head(int status, const QByteArray& headers);

private:
    void accept(QSslSocket* socket);
    void respond(QSslSocket* socket, const QByteArray& requestHead);

    QSslServer m_server;
    QMap<QByteArray, QByteArray> m_answers;
    QList<QPointer<QSslSocket>> m_held;
    QList<QByteArray> m_requests;
    bool m_holding = false;
    int m_open = 0;
};

} // namespace navora::test
