#include "app/update/TestCertificate.h"

#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <chrono>
#include <stdexcept>

namespace navora::test {

TestCertificate::TestCertificate()
{
    const ScratchDirectory folder;
    const std::string certificate = folder.file("certificate.pem").string();
    const std::string key = folder.file("key.pem").string();
    // Its progress dots go to the errors, shown only on failure.
    ProgramRun openssl(
        {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
            "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", certificate},
        folder.file("errors.txt"), std::vector<std::string>{});
    while (openssl.readLine(std::chrono::seconds(60))) { }
    if (openssl.terminate(std::chrono::seconds(60)) != 0)
        throw std::runtime_error(
            "openssl could not make the test certificate: " + ProgramRun::fileText(folder.file("errors.txt")));
    m_certificate = QSslCertificate(QByteArray::fromStdString(ProgramRun::fileText(certificate)), QSsl::Pem);
    m_key = QSslKey(QByteArray::fromStdString(ProgramRun::fileText(key)), QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull())
        throw std::runtime_error("the test certificate does not load");
}

} // namespace navora::test
