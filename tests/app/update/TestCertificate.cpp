#include "app/update/TestCertificate.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

namespace navora::test {

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

} // namespace

TestCertificate::TestCertificate()
{
    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder for the test certificate");
    const QString certificatePath = folder.filePath(QStringLiteral("certificate.pem"));
    const QString keyPath = folder.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels); // its progress dots are shown only on failure
    openssl.start(QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
            QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
            QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
            QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0)
        throw std::runtime_error("openssl could not make the test certificate: " + openssl.readAll().toStdString());
    m_certificate = QSslCertificate(readAll(certificatePath), QSsl::Pem);
    m_key = QSslKey(readAll(keyPath), QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull())
        throw std::runtime_error("the test certificate does not load");
}

} // namespace navora::test
