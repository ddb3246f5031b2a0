#include "support/PlistBytes.h"

#include "app/update/UpdateCheck.h"
#include "support/LogCapture.h"
#include "support/ProgramRun.h"
#include "support/QtApplication.h"
#include "support/ScratchDirectory.h"

#include <QAbstractButton>
#include <QLabel>
#include <QNetworkReply>
#include <QPointer>
#include <QProgressBar>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace navora::test {
namespace {

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

// A throw-away self-signed certificate for 127.0.0.1 and its key, made by
// openssl in a temporary folder that is gone once they are loaded.
struct TestCertificate {
    TestCertificate()
    {
        const ScratchDirectory folder;
        const std::string certificatePath = folder.file("certificate.pem").string();
        const std::string keyPath = folder.file("key.pem").string();
        // Its progress dots go to the errors, shown only on failure.
        ProgramRun openssl(
            {"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", keyPath, "-out", certificatePath},
            folder.file("errors.txt"), std::vector<std::string>{});
        while (openssl.readLine(std::chrono::seconds(60))) { }
        if (openssl.terminate(std::chrono::seconds(60)) != 0)
            throw std::runtime_error(
                "openssl could not make the test certificate: " + ProgramRun::fileText(folder.file("errors.txt")));
        certificate = QSslCertificate(QByteArray::fromStdString(ProgramRun::fileText(certificatePath)), QSsl::Pem);
        key = QSslKey(QByteArray::fromStdString(ProgramRun::fileText(keyPath)), QSsl::Rsa, QSsl::Pem);
        if (certificate.isNull() || key.isNull())
            throw std::runtime_error("the test certificate does not load");
    }
    QSslCertificate certificate;
    QSslKey key;
};

const QString ownVersion = QStringLiteral("1.0.0");
const QUrl downloadPage(QStringLiteral("https://navora.org/download"));
const QByteArray documentRequest = "GET /versions/nvx/Beta.plist HTTP/1.1";
const QString noUpdate = QStringLiteral("No Updates Available");
const QString unableToConnect = QStringLiteral("Unable to Connect");

QString updateAvailable(const QString& serverVersion)
{
    return QStringLiteral("Update Available %1 / %2").arg(serverVersion, ownVersion);
}

// Generous: this waits for an outcome, it does not time anything.
bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 60000);
}

class UpdateCheckTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ensureWidgetApplication();
        ASSERT_TRUE(QSslSocket::supportsSsl()) << "no TLS backend";
        s_certificate = std::make_unique<TestCertificate>();
    }
    static void TearDownTestSuite() { s_certificate.reset(); }

    UpdateCheck::Options options() const
    {
        UpdateCheck::Options options;
        options.server = server.address();
        options.channel = QStringLiteral("Beta");
        options.versionString = ownVersion;
        options.downloadPage = downloadPage;
        options.extraCaCertificates = {s_certificate->certificate};
        return options;
    }

    UpdateCheck::Prompts recordingPrompts()
    {
        return {
            [this](const QString& serverVersion, const QString& own) {
                alerts.append(QStringLiteral("Update Available %1 / %2").arg(serverVersion, own));
                return goToDownloadPage;
            },
            [this] { alerts.append(noUpdate); },
            [this] { alerts.append(unableToConnect); },
            [this](const QUrl& url) { opened.append(url); },
        };
    }

    std::unique_ptr<UpdateCheck> makeCheck(const UpdateCheck::Options& checkOptions)
    {
        return std::make_unique<UpdateCheck>(checkOptions, recordingPrompts());
    }

    static void run(UpdateCheck& check)
    {
        check.checkForUpdates();
        ASSERT_TRUE(waitFor([&] { return !check.running(); }));
    }

    bool loggedLineStartingWith(const QString& start) const
    {
        const auto lines = log.lines();
        return std::any_of(lines.begin(), lines.end(),
            [&](const std::string& line) { return QString::fromStdString(line).startsWith(start); });
    }

    std::string logText() const
    {
        std::string text;
        for (const std::string& line : log.lines())
            text += line + "\n";
        return text;
    }

    static QString stage(const UpdateCheck& check)
    {
        return check.progressPanel().findChild<QLabel*>(QStringLiteral("progressField"))->text();
    }

    static bool animating(const UpdateCheck& check)
    {
        const auto* bar = check.progressPanel().findChild<QProgressBar*>(QStringLiteral("progressIndicator"));
        return bar->minimum() == 0 && bar->maximum() == 0;
    }

    static void expectIdle(const UpdateCheck& check)
    {
        EXPECT_FALSE(check.running());
        EXPECT_FALSE(check.progressPanel().isVisible());
        EXPECT_EQ(stage(check), QString());
        EXPECT_FALSE(animating(check));
    }

    static inline std::unique_ptr<TestCertificate> s_certificate;
    HttpsTestServer server{s_certificate->certificate, s_certificate->key};
    LogCapture log;
    QStringList alerts;
    QList<QUrl> opened;
    bool goToDownloadPage = false;
};

struct ReplyCase {
    const char* name;
    QByteArray reply;
    QString alert;
    QString logLine; // the start of a line the check must log
};

std::ostream& operator<<(std::ostream& out, const ReplyCase& row)
{
    return out << row.name;
}

QByteArray plistReply(const QByteArray& body)
{
    return HttpsTestServer::response(200, body);
}

const QByteArray sameVersion = PlistBytes::xmlWithVersion(ownVersion);
const QByteArray twoMebibytes(2 * 1024 * 1024, ' ');

const ReplyCase replyCases[] = {
    {"SameVersion", plistReply(sameVersion), noUpdate,
        "Update check: the server names version 1.0.0; this is version 1.0.0"},
    {"ShorterVersionDiffers", plistReply(PlistBytes::xmlWithVersion("1.0")), updateAvailable("1.0"),
        "Update check: the server names version 1.0; this is version 1.0.0"},
    {"MalformedPlist", plistReply("<?xml version=\"1.0\"?><plist><dict><key>CFBundleVersion</key>"), unableToConnect,
        "Update check: the reply is not a property list"},
    {"NotFound", HttpsTestServer::response(404, sameVersion), unableToConnect,
        "Update check: the server answered with HTTP status 404"},
    {"OversizeAnnounced", plistReply(twoMebibytes), unableToConnect,
        "Update check: the reply announces 2097152 bytes, more than 16384"},
    {"OversizeUnannounced", HttpsTestServer::head(200, {}) + twoMebibytes, unableToConnect,
        "Update check: the reply is larger than 16384 bytes"},
    {"ClosedMidReply", HttpsTestServer::head(200, "Content-Length: 5000\r\n") + sameVersion.left(60), unableToConnect,
        "Update check: the transfer failed: "},
    {"RedirectToHttp", HttpsTestServer::response(302, {}, "Location: http://127.0.0.1:9/x.plist\r\n"), unableToConnect,
        "Update check: refusing the redirect to \"http://127.0.0.1:9/x.plist\": only https addresses are used"},
};

class UpdateCheckReplyTest : public UpdateCheckTest, public testing::WithParamInterface<ReplyCase> { };

TEST_P(UpdateCheckReplyTest, EndsInOneAlertAndIdle)
{
    const ReplyCase& row = GetParam();
    server.answer({}, row.reply);
    const auto check = makeCheck(options());
    run(*check);
    EXPECT_EQ(alerts, QStringList{row.alert});
    EXPECT_TRUE(loggedLineStartingWith(row.logLine)) << logText();
    EXPECT_EQ(server.requests(), QList<QByteArray>{documentRequest});
    EXPECT_TRUE(opened.isEmpty()); // the user answers Cancel
    expectIdle(*check);
}

INSTANTIATE_TEST_SUITE_P(Replies, UpdateCheckReplyTest, testing::ValuesIn(replyCases),
    [](const testing::TestParamInfo<ReplyCase>& row) { return std::string(row.param.name); });

TEST_F(UpdateCheckTest, GoingToTheDownloadPageOpensIt)
{
    server.answer({}, plistReply(PlistBytes::xmlWithVersion("1.1")));
    goToDownloadPage = true;
    const auto check = makeCheck(options());
    run(*check);
    EXPECT_EQ(alerts, QStringList{updateAvailable("1.1")});
    EXPECT_EQ(opened, QList<QUrl>{downloadPage});
}

TEST_F(UpdateCheckTest, UntrustedCertificateIsUnableToConnect)
{
    server.answer({}, plistReply(sameVersion));
    auto untrusting = options();
    untrusting.extraCaCertificates.clear();
    const auto check = makeCheck(untrusting);
    run(*check);
    EXPECT_EQ(alerts, QStringList{unableToConnect});
    EXPECT_TRUE(loggedLineStartingWith("Update check: certificate refused: ")) << logText();
    EXPECT_TRUE(loggedLineStartingWith("Update check: the secure connection failed: "));
    EXPECT_TRUE(server.requests().isEmpty());
    expectIdle(*check);
}

// The program's own check (no extra authority) keeps Qt's default trust, the
// system store; a test's authority comes on top of that store.
TEST_F(UpdateCheckTest, ExtraAuthorityIsAddedToTheSystemStore)
{
    server.holdRequests();
    for (const bool extra : {false, true}) {
        auto trust = options();
        if (!extra)
            trust.extraCaCertificates.clear();
        const auto check = makeCheck(trust);
        check->checkForUpdates();
        const auto replies = check->findChildren<QNetworkReply*>();
        ASSERT_EQ(replies.size(), 1);
        const QSslConfiguration used = replies.front()->request().sslConfiguration();
        if (extra) {
            const auto authorities = used.caCertificates();
            EXPECT_TRUE(authorities.contains(s_certificate->certificate));
            const auto system = QSslConfiguration::systemCaCertificates();
            EXPECT_TRUE(std::all_of(system.begin(), system.end(),
                [&](const QSslCertificate& authority) { return authorities.contains(authority); }));
        } else {
            EXPECT_EQ(used, QSslConfiguration::defaultConfiguration());
        }
        EXPECT_EQ(used.peerVerifyMode(), QSslSocket::AutoVerifyPeer);
        check->cancelUpdate();
    }
}

struct AddressCase {
    const char* name;
    QString server; // empty: the test server
    QString channel;
    QString logLine;
};

std::ostream& operator<<(std::ostream& out, const AddressCase& row)
{
    return out << row.name;
}

const AddressCase refusedAddresses[] = {
    {"PlainHttp", "http://127.0.0.1:9", "Beta",
        "Update check: refusing the update server \"http://127.0.0.1:9\": only https addresses are used"},
    {"Ftp", "ftp://127.0.0.1", "Beta", "Update check: refusing the update server \"ftp://127.0.0.1\""},
    {"NoHost", "https:///versions", "Beta", "Update check: refusing the update server"},
    {"ChannelLeavingTheFolder", {}, "../../secret", "Update check: \"../../secret\" is not a channel name"},
    {"EmptyChannel", {}, {}, "Update check: \"\" is not a channel name"},
};

class UpdateCheckAddressTest : public UpdateCheckTest, public testing::WithParamInterface<AddressCase> { };

TEST_P(UpdateCheckAddressTest, IsRefusedBeforeAnyTransfer)
{
    const AddressCase& row = GetParam();
    server.answer({}, plistReply(sameVersion));
    auto refused = options();
    if (!row.server.isEmpty())
        refused.server = QUrl(row.server);
    refused.channel = row.channel;
    const auto check = makeCheck(refused);
    check->checkForUpdates();
    EXPECT_EQ(alerts, QStringList{unableToConnect});
    EXPECT_TRUE(loggedLineStartingWith(row.logLine)) << logText();
    expectIdle(*check);
    EXPECT_TRUE(server.requests().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Addresses, UpdateCheckAddressTest, testing::ValuesIn(refusedAddresses),
    [](const testing::TestParamInfo<AddressCase>& row) { return std::string(row.param.name); });

TEST_F(UpdateCheckTest, ChannelAndPathPrefixNameTheDocument)
{
    server.answer({}, plistReply(sameVersion));
    auto release = options();
    release.server.setPath(QStringLiteral("/navora/"));
    release.channel = QStringLiteral("Release");
    const auto check = makeCheck(release);
    run(*check);
    EXPECT_EQ(server.requests(), QList<QByteArray>{"GET /navora/versions/nvx/Release.plist HTTP/1.1"});
}

TEST_F(UpdateCheckTest, HttpsRedirectIsFollowed)
{
    server.answer(
        "/versions/nvx/Beta.plist", HttpsTestServer::response(301, "moved", "Location: /versions/nvx/Moved.plist\r\n"));
    server.answer("/versions/nvx/Moved.plist", plistReply(sameVersion));
    const auto check = makeCheck(options());
    run(*check);
    EXPECT_EQ(alerts, QStringList{noUpdate});
    EXPECT_EQ(server.requests(), (QList<QByteArray>{documentRequest, "GET /versions/nvx/Moved.plist HTTP/1.1"}));
}

TEST_F(UpdateCheckTest, PanelShowsTheStagesAndClosesAtTheEnd)
{
    server.holdRequests();
    const auto check = makeCheck(options());
    check->checkForUpdates();
    EXPECT_TRUE(check->running());
    EXPECT_TRUE(check->progressPanel().isVisible());
    EXPECT_EQ(stage(*check), QStringLiteral("Connecting to server"));
    EXPECT_TRUE(animating(*check));

    ASSERT_TRUE(waitFor([&] { return server.heldCount() == 1; }));
    server.sendToHeld(HttpsTestServer::head(200, "Content-Length: " + QByteArray::number(sameVersion.size()) + "\r\n"));
    EXPECT_TRUE(waitFor([&] { return stage(*check) == QStringLiteral("Connected to server"); }));
    server.sendToHeld(sameVersion.left(40));
    EXPECT_TRUE(waitFor([&] { return stage(*check) == QStringLiteral("Receiving data"); }));
    EXPECT_TRUE(check->progressPanel().isVisible());
    EXPECT_TRUE(alerts.isEmpty());

    server.sendToHeld(sameVersion.mid(40));
    server.closeHeld();
    ASSERT_TRUE(waitFor([&] { return !check->running(); }));
    EXPECT_EQ(alerts, QStringList{noUpdate});
    expectIdle(*check);
}

TEST_F(UpdateCheckTest, CancelClosesThePanelWithoutAlertAndDropsTheConnection)
{
    const std::function<void(QWidget&)> ways[] = {
        [](QWidget& panel) { panel.findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->click(); },
        [](QWidget& panel) { QTest::keyClick(&panel, Qt::Key_Escape); },
        [](QWidget& panel) { panel.close(); },
    };
    server.holdRequests();
    const auto check = makeCheck(options());
    check->cancelUpdate(); // idle: nothing to cancel
    EXPECT_TRUE(log.lines().empty());
    for (const auto& cancel : ways) {
        check->checkForUpdates();
        ASSERT_TRUE(waitFor([&] { return server.heldCount() >= 1; }));
        cancel(check->progressPanel());
        expectIdle(*check);
        EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }));
    }
    EXPECT_EQ(log.count("Update check: cancelled"), 3u);
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(UpdateCheckTest, DestroyedWhileRunningDropsTheConnectionQuietly)
{
    server.holdRequests();
    auto check = makeCheck(options());
    check->checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return server.heldCount() == 1; }));
    check.reset();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(UpdateCheckTest, SecondCheckWhileOneRunsIsIgnored)
{
    server.holdRequests();
    const auto check = makeCheck(options());
    check->checkForUpdates();
    check->checkForUpdates();
    EXPECT_EQ(check->findChildren<QNetworkReply*>().size(), 1); // one transfer, not two
    ASSERT_TRUE(waitFor([&] { return server.heldCount() == 1; }));
    server.sendToHeld(plistReply(sameVersion));
    server.closeHeld();
    ASSERT_TRUE(waitFor([&] { return !check->running(); }));
    EXPECT_EQ(alerts, QStringList{noUpdate});
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(UpdateCheckTest, SilentServerTimesOut)
{
    server.holdRequests();
    auto impatient = options();
    impatient.transferTimeout = std::chrono::milliseconds(300);
    const auto check = makeCheck(impatient);
    run(*check);
    EXPECT_EQ(alerts, QStringList{unableToConnect});
    EXPECT_TRUE(log.contains("Update check: no complete answer within 0.3 seconds"));
    expectIdle(*check);
}

} // namespace
} // namespace navora::test
