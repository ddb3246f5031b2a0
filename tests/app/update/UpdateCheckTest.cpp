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
    HttpsTestServer(const QSslCertificate& certificate, const QSslKey& key)
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

    QUrl address() const { return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_server.serverPort())); }
    // The whole answer to a request for path (an empty path: any other).
    void answer(const QByteArray& path, const QByteArray& bytes) { m_answers.insert(path, bytes); }
    void holdRequests() { m_holding = true; }
    void sendToHeld(const QByteArray& bytes)
    {
        for (const auto& socket : m_held) {
            if (socket)
                socket->write(bytes);
        }
    }
    void closeHeld()
    {
        for (const auto& socket : std::exchange(m_held, {})) {
            if (socket)
                socket->disconnectFromHost();
        }
    }
    // The request lines received ("GET /path HTTP/1.1"), in order.
    const QList<QByteArray>& requests() const { return m_requests; }
    int heldCount() const
    {
        return int(std::count_if(m_held.begin(), m_held.end(), [](auto& s) { return !s.isNull(); }));
    }
    int openConnections() const { return m_open; }

    // Status line and headers only, for answers the test writes itself.
    static QByteArray head(int status, const QByteArray& headers)
    {
        return "HTTP/1.1 " + QByteArray::number(status) + " Status\r\nConnection: close\r\n" + headers + "\r\n";
    }
    // An HTTP/1.1 answer with the body's length announced.
    static QByteArray response(int status, const QByteArray& body, const QByteArray& extraHeaders = {})
    {
        return head(status,
                   "Content-Type: application/x-plist\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n"
                       + extraHeaders)
            + body;
    }

private:
    void accept(QSslSocket* socket)
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
            const QByteArray requestLine = received->left(received->indexOf("\r\n"));
            received->clear();
            m_requests.append(requestLine);
            if (m_holding)
                return m_held.append(socket);
            const QList<QByteArray> parts = requestLine.split(' ');
            socket->write(m_answers.value(parts.value(1), m_answers.value({})));
            socket->disconnectFromHost();
        });
    }

    QSslServer m_server;
    QMap<QByteArray, QByteArray> m_answers;
    QList<QPointer<QSslSocket>> m_held;
    QList<QByteArray> m_requests;
    bool m_holding = false;
    int m_open = 0;
};

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
            throw std::runtime_error("openssl failed: " + ProgramRun::fileText(folder.file("errors.txt")));
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
const QByteArray sameVersion = PlistBytes::xmlWithVersion(ownVersion);

QString updateAvailable(const QString& serverVersion)
{
    return QStringLiteral("Update Available %1 / %2").arg(serverVersion, ownVersion);
}

QByteArray plistReply(const QByteArray& body)
{
    return HttpsTestServer::response(200, body);
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
    // The prompts record what the user is shown and what is opened.
    std::unique_ptr<UpdateCheck> makeCheck(const UpdateCheck::Options& checkOptions)
    {
        return std::make_unique<UpdateCheck>(checkOptions,
            UpdateCheck::Prompts{[this](const QString& serverVersion, const QString& own) {
                                     alerts.append(QStringLiteral("Update Available %1 / %2").arg(serverVersion, own));
                                     return goToDownloadPage;
                                 },
                [this] { alerts.append(noUpdate); }, [this] { alerts.append(unableToConnect); },
                [this](const QUrl& url) { opened.append(url); }});
    }
    static void run(UpdateCheck& check)
    {
        check.checkForUpdates();
        ASSERT_TRUE(waitFor([&] { return !check.running(); }));
    }
    testing::AssertionResult loggedLineStartingWith(const std::string& start) const
    {
        const auto lines = log.lines();
        if (std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(start); }))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no line \"" << start << "\" in " << testing::PrintToString(lines);
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

struct CheckCase {
    const char* name;
    QByteArray reply;
    QString alert;
    std::string logLine; // the start of a line the check must log
    bool go = false; // the user answers Download, not Cancel
    QString server = {}; // another than the test server, refused
    std::optional<QString> channel = {}; // another than Beta, refused
};

std::ostream& operator<<(std::ostream& out, const CheckCase& row)
{
    return out << row.name;
}

const QByteArray twoMebibytes(2 * 1024 * 1024, ' ');
const QByteArray sameReply = plistReply(sameVersion);

const CheckCase checkCases[] = {
    {"SameVersion", sameReply, noUpdate, "Update check: the server names version 1.0.0; this is version 1.0.0"},
    {"ShorterVersionDiffers", plistReply(PlistBytes::xmlWithVersion("1.0")), updateAvailable("1.0"),
        "Update check: the server names version 1.0; this is version 1.0.0"},
    {"NewerGoesToTheDownloadPage", plistReply(PlistBytes::xmlWithVersion("1.1")), updateAvailable("1.1"),
        "Update check: the server names version 1.1", true},
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
    // Refused before any transfer.
    {"PlainHttp", sameReply, unableToConnect,
        "Update check: refusing the update server \"http://127.0.0.1:9\": only https addresses are used", false,
        "http://127.0.0.1:9"},
    {"Ftp", sameReply, unableToConnect, "Update check: refusing the update server \"ftp://127.0.0.1\"", false,
        "ftp://127.0.0.1"},
    {"NoHost", sameReply, unableToConnect, "Update check: refusing the update server", false, "https:///versions"},
    {"ChannelLeavingTheFolder", sameReply, unableToConnect, "Update check: \"../../secret\" is not a channel name",
        false, {}, "../../secret"},
    {"EmptyChannel", sameReply, unableToConnect, "Update check: \"\" is not a channel name", false, {}, ""},
};

class UpdateCheckCaseTest : public UpdateCheckTest, public testing::WithParamInterface<CheckCase> { };

TEST_P(UpdateCheckCaseTest, EndsInOneAlertAndIdle)
{
    const CheckCase& row = GetParam();
    server.answer({}, row.reply);
    goToDownloadPage = row.go;
    auto checkOptions = options();
    if (!row.server.isEmpty())
        checkOptions.server = QUrl(row.server);
    checkOptions.channel = row.channel.value_or(checkOptions.channel);
    const auto check = makeCheck(checkOptions);
    run(*check);
    EXPECT_EQ(alerts, QStringList{row.alert});
    EXPECT_TRUE(loggedLineStartingWith(row.logLine));
    const bool refused = !row.server.isEmpty() || row.channel;
    EXPECT_EQ(server.requests(), refused ? QList<QByteArray>{} : QList<QByteArray>{documentRequest});
    EXPECT_EQ(opened, row.go ? QList<QUrl>{downloadPage} : QList<QUrl>{});
    expectIdle(*check);
}

INSTANTIATE_TEST_SUITE_P(Checks, UpdateCheckCaseTest, testing::ValuesIn(checkCases),
    [](const testing::TestParamInfo<CheckCase>& row) { return std::string(row.param.name); });

// The program's own check (no extra authority) keeps Qt's default trust, the
// system store, which refuses the test's certificate; a test's authority
// comes on top of that store.
TEST_F(UpdateCheckTest, ExtraAuthorityIsAddedToTheSystemStore)
{
    server.answer({}, sameReply);
    for (const bool extra : {false, true}) {
        auto trust = options();
        if (!extra)
            trust.extraCaCertificates.clear();
        const auto check = makeCheck(trust);
        check->checkForUpdates();
        const auto replies = check->findChildren<QNetworkReply*>();
        ASSERT_EQ(replies.size(), 1);
        const QSslConfiguration used = replies.front()->request().sslConfiguration();
        EXPECT_EQ(used.peerVerifyMode(), QSslSocket::AutoVerifyPeer);
        if (extra) {
            const auto authorities = used.caCertificates();
            EXPECT_TRUE(authorities.contains(s_certificate->certificate));
            const auto system = QSslConfiguration::systemCaCertificates();
            EXPECT_TRUE(std::all_of(system.begin(), system.end(),
                [&](const QSslCertificate& authority) { return authorities.contains(authority); }));
            check->cancelUpdate();
            continue;
        }
        EXPECT_EQ(used, QSslConfiguration::defaultConfiguration());
        ASSERT_TRUE(waitFor([&] { return !check->running(); }));
        EXPECT_EQ(alerts, QStringList{unableToConnect});
        EXPECT_TRUE(loggedLineStartingWith("Update check: certificate refused: "));
        EXPECT_TRUE(loggedLineStartingWith("Update check: the secure connection failed: "));
        EXPECT_TRUE(server.requests().isEmpty());
        expectIdle(*check);
    }
}

// The channel and the server's path prefix name the document; an https
// redirect is followed.
TEST_F(UpdateCheckTest, DocumentAddressAndHttpsRedirect)
{
    server.answer("/navora/versions/nvx/Release.plist",
        HttpsTestServer::response(301, "moved", "Location: /versions/nvx/Moved.plist\r\n"));
    server.answer("/versions/nvx/Moved.plist", plistReply(sameVersion));
    auto release = options();
    release.server.setPath(QStringLiteral("/navora/"));
    release.channel = QStringLiteral("Release");
    const auto check = makeCheck(release);
    run(*check);
    EXPECT_EQ(alerts, QStringList{noUpdate});
    EXPECT_EQ(server.requests(),
        (QList<QByteArray>{
            "GET /navora/versions/nvx/Release.plist HTTP/1.1", "GET /versions/nvx/Moved.plist HTTP/1.1"}));
}

// The panel shows the stages and closes at the end; a second check while one
// runs is ignored.
TEST_F(UpdateCheckTest, PanelShowsTheStagesAndASecondCheckIsIgnored)
{
    server.holdRequests();
    const auto check = makeCheck(options());
    check->checkForUpdates();
    check->checkForUpdates();
    EXPECT_EQ(check->findChildren<QNetworkReply*>().size(), 1); // one transfer, not two
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
    EXPECT_EQ(server.requests().size(), 1);
    expectIdle(*check);
}

// Cancelled (three ways) or destroyed, a running check drops its connection
// without an alert.
TEST_F(UpdateCheckTest, CancelOrDestructionDropsTheConnectionWithoutAlert)
{
    const std::function<void(QWidget&)> ways[] = {
        [](QWidget& panel) { panel.findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->click(); },
        [](QWidget& panel) { QTest::keyClick(&panel, Qt::Key_Escape); },
        [](QWidget& panel) { panel.close(); },
    };
    server.holdRequests();
    auto check = makeCheck(options());
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
    check->checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return server.heldCount() >= 1 && server.openConnections() == 1; }));
    check.reset();
    EXPECT_TRUE(waitFor([&] { return server.openConnections() == 0; }));
    EXPECT_TRUE(alerts.isEmpty());
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
