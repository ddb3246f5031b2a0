#pragma once

#include <QSslCertificate>
#include <QSslKey>

namespace navora::test {

// A throw-away self-signed certificate for 127.0.0.1 and its key, made by
// openssl in a temporary folder that is gone once they are loaded.
class TestCertificate {
public:
    TestCertificate();

    const QSslCertificate& certificate() const { return m_certificate; }
    const QSslKey& key() const { return m_key; }

private:
    QSslCertificate m_certificate;
    QSslKey m_key;
};

} // namespace navora::test
