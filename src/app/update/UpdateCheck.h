#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;
class QWidget;

namespace navora {

class UpdateProgressPanel;

// The user's "Check for Updates": fetches "<server>/versions/nvx/<channel>.plist"
// over HTTPS, compares the version it names with the program's own by exact
// text and tells the user whether an update exists. One check at a time; the
// progress panel shows the stages and can cancel. Every failure ends in the
// one "Unable to Connect" alert and the idle state, with a log line saying why.
class UpdateCheck : public QObject {
public:
    struct Options {
        QUrl server; // https, host and optional port (and path prefix)
        QString channel; // "Beta" unless configured
        QString versionString; // the program's own version
        QUrl downloadPage;
        // Trusted in addition to the system's certificate authorities, for
        // this check only (a test's own server). Verification stays on.
        QList<QSslCertificate> extraCaCertificates;
        std::chrono::milliseconds transferTimeout{std::chrono::seconds(60)};

        // Server, channel and download page from the build (CMake cache
        // variables NAVORA_UPDATE_SERVER, NAVORA_UPDATE_CHANNEL,
        // NAVORA_DOWNLOAD_PAGE); the environment variables
        // NAVORA_UPDATE_SERVER and NAVORA_UPDATE_CHANNEL override the first two.
        static Options fromBuildAndEnvironment(const QString& versionString);
    };

    // Empty members use the QMessageBox alerts and QDesktopServices.
    struct Prompts {
        std::function<bool(const QString& serverVersion, const QString& ownVersion)> presentConnectionSuccess;
        std::function<void()> presentNoUpdate;
        std::function<void()> presentConnectionError;
        std::function<void(const QUrl&)> openUrl;
    };

    // The largest reply accepted; the transfer is aborted as soon as more
    // arrives. The document is a few hundred bytes; this bounds the parse.
    static constexpr qsizetype maxReplyBytes = 16 * 1024;

    // parent owns the check as usual and is the alerts' parent window.
    explicit UpdateCheck(Options options, Prompts prompts = {}, QWidget* parent = nullptr);
    ~UpdateCheck() override;

    void checkForUpdates(); // ignored while a check runs
    void cancelUpdate(); // the panel's Cancel; nothing when no check runs
    bool running() const { return m_reply != nullptr; }
    QWidget& progressPanel() const;

    const Options& options() const { return m_options; }

private:
    std::optional<QUrl> documentAddress() const;
    void startUpdateConnection(const QUrl& address);
    void didReceiveResponse();
    void didReceiveData();
    void didRedirect(const QUrl& target);
    void didFinishLoading();
    void finishWithDocument();
    void fail(const QString& why);
    void endUpdateConnection();
    void presentConnectionSuccess(const QString& serverVersion);

    Options m_options;
    Prompts m_prompts;
    QNetworkAccessManager* m_network = nullptr;
    std::unique_ptr<UpdateProgressPanel> m_panel;
    QNetworkReply* m_reply = nullptr; // the running transfer; empty when idle
    QByteArray m_data; // the bytes of the current response so far
};

} // namespace navora
