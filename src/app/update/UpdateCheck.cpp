#include "app/update/UpdateCheck.h"

#include "app/update/UpdateAlerts.h"
#include "app/update/UpdateDocument.h"
#include "app/update/UpdateProgressPanel.h"

#include "core/Log.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRegularExpression>
#include <QSslConfiguration>
#include <QSslError>
#include <QWidget>

#include <utility>

namespace navora {

namespace {

const QString httpsScheme = QStringLiteral("https");

void logLine(const QString& text)
{
    Log::line(QStringLiteral("Update check: %1").arg(text).toStdString());
}

// A channel names one file on the server; nothing that could reach elsewhere.
bool isChannelName(const QString& channel)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._-]*$"));
    return pattern.match(channel).hasMatch();
}

UpdateCheck::Prompts withDefaults(UpdateCheck::Prompts prompts, QWidget* parent)
{
    const QPointer<QWidget> window(parent);
    if (!prompts.presentConnectionSuccess) {
        prompts.presentConnectionSuccess = [window](const QString& serverVersion, const QString& ownVersion) {
            return UpdateAlerts::presentUpdateAvailable(window, serverVersion, ownVersion);
        };
    }
    if (!prompts.presentNoUpdate)
        prompts.presentNoUpdate = [window] { UpdateAlerts::presentNoUpdate(window); };
    if (!prompts.presentConnectionError)
        prompts.presentConnectionError = [window] { UpdateAlerts::presentConnectionError(window); };
    if (!prompts.openUrl) {
        prompts.openUrl = [](const QUrl& url) {
            if (!QDesktopServices::openUrl(url))
                logLine(QStringLiteral("could not open the download page %1").arg(url.toString()));
        };
    }
    return prompts;
}

QString describeFailure(const QNetworkReply& reply, std::chrono::milliseconds timeout)
{
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError:
        // Cancelling and refusing detach from the reply first, so only the
        // transfer timeout is left to cancel it.
        return QStringLiteral("no complete answer within %1 seconds")
            .arg(std::chrono::duration<double>(timeout).count());
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("the secure connection failed: %1").arg(reply.errorString());
    default:
        return QStringLiteral("the transfer failed: %1").arg(reply.errorString());
    }
}

} // namespace

UpdateCheck::Options UpdateCheck::Options::fromBuildAndEnvironment(const QString& versionString)
{
    Options options;
    options.server = QUrl(QStringLiteral(NAVORA_UPDATE_SERVER));
    options.channel = QStringLiteral(NAVORA_UPDATE_CHANNEL);
    options.downloadPage = QUrl(QStringLiteral(NAVORA_DOWNLOAD_PAGE));
    options.versionString = versionString;
    // Checked when a check starts, where a bad value gets its log line.
    if (const QString server = qEnvironmentVariable("NAVORA_UPDATE_SERVER"); !server.isEmpty())
        options.server = QUrl(server);
    if (const QString channel = qEnvironmentVariable("NAVORA_UPDATE_CHANNEL"); !channel.isEmpty())
        options.channel = channel;
    return options;
}

UpdateCheck::UpdateCheck(Options options, Prompts prompts, QWidget* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_prompts(withDefaults(std::move(prompts), parent))
    , m_network(new QNetworkAccessManager(this))
    , m_panel(std::make_unique<UpdateProgressPanel>([this] { cancelUpdate(); }))
{
}

UpdateCheck::~UpdateCheck()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QWidget& UpdateCheck::progressPanel() const
{
    return *m_panel;
}

void UpdateCheck::checkForUpdates()
{
    if (running())
        return;
    if (const auto address = documentAddress()) {
        startUpdateConnection(*address);
    } else {
        endUpdateConnection();
        m_prompts.presentConnectionError();
    }
}

void UpdateCheck::cancelUpdate()
{
    if (!running())
        return;
    logLine(QStringLiteral("cancelled"));
    endUpdateConnection();
}

std::optional<QUrl> UpdateCheck::documentAddress() const
{
    const QUrl& server = m_options.server;
    if (!server.isValid() || server.scheme() != httpsScheme || server.host().isEmpty()) {
        logLine(
            QStringLiteral("refusing the update server \"%1\": only https addresses are used").arg(server.toString()));
        return std::nullopt;
    }
    if (!isChannelName(m_options.channel)) {
        logLine(QStringLiteral("\"%1\" is not a channel name").arg(m_options.channel));
        return std::nullopt;
    }
    QUrl address = server.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::StripTrailingSlash);
    address.setPath(address.path() + QStringLiteral("/versions/nvx/%1.plist").arg(m_options.channel));
    return address;
}

void UpdateCheck::startUpdateConnection(const QUrl& address)
{
    QNetworkRequest request(address);
    request.setTransferTimeout(static_cast<int>(m_options.transferTimeout.count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Each redirect is looked at before it is followed (didRedirect).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    if (!m_options.extraCaCertificates.isEmpty()) {
        // Qt loads the system's authorities on demand only while the list is
        // left alone; once it is set, it must name them all.
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(QSslConfiguration::systemCaCertificates() + m_options.extraCaCertificates);
        request.setSslConfiguration(tls);
    }

    logLine(QStringLiteral("fetching %1").arg(address.toString()));
    m_data.clear();
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { didReceiveResponse(); });
    connect(m_reply, &QNetworkReply::readyRead, this, [this] { didReceiveData(); });
    connect(m_reply, &QNetworkReply::redirected, this, [this](const QUrl& target) { didRedirect(target); });
    connect(m_reply, &QNetworkReply::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            logLine(QStringLiteral("certificate refused: %1").arg(error.errorString()));
    });
    connect(m_reply, &QNetworkReply::finished, this, [this] { didFinishLoading(); });
    m_panel->start(QStringLiteral("Connecting to server"));
}

void UpdateCheck::didReceiveResponse()
{
    // A new response (after a redirect, say) starts the data afresh.
    m_data.clear();
    m_panel->showStage(QStringLiteral("Connected to server"));
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxReplyBytes)
        fail(QStringLiteral("the reply announces %1 bytes, more than %2").arg(length.toLongLong()).arg(maxReplyBytes));
}

void UpdateCheck::didReceiveData()
{
    // Never hold more than one byte beyond the limit, whatever has arrived.
    m_data += m_reply->read(maxReplyBytes + 1 - m_data.size());
    if (m_data.size() > maxReplyBytes) {
        fail(QStringLiteral("the reply is larger than %1 bytes").arg(maxReplyBytes));
        return;
    }
    m_panel->showStage(QStringLiteral("Receiving data"));
}

void UpdateCheck::didRedirect(const QUrl& target)
{
    if (target.scheme() != httpsScheme) {
        fail(QStringLiteral("refusing the redirect to \"%1\": only https addresses are used").arg(target.toString()));
        return;
    }
    emit m_reply->redirectAllowed();
}

void UpdateCheck::didFinishLoading()
{
    if (m_reply->bytesAvailable() > 0)
        didReceiveData();
    if (!m_reply)
        return; // the last bytes were too many
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299)) {
        fail(QStringLiteral("the server answered with HTTP status %1").arg(status.toInt()));
        return;
    }
    if (m_reply->error() != QNetworkReply::NoError) {
        fail(describeFailure(*m_reply, m_options.transferTimeout));
        return;
    }
    finishWithDocument();
}

void UpdateCheck::finishWithDocument()
{
    const UpdateDocument document = UpdateDocument::parse(m_data);
    if (!document.hasVersion()) {
        fail(document.problem());
        return;
    }
    logLine(QStringLiteral("the server names version %1; this is version %2")
                .arg(document.version(), m_options.versionString));
    endUpdateConnection();
    if (document.version() == m_options.versionString)
        m_prompts.presentNoUpdate();
    else
        presentConnectionSuccess(document.version());
}

void UpdateCheck::presentConnectionSuccess(const QString& serverVersion)
{
    if (m_prompts.presentConnectionSuccess(serverVersion, m_options.versionString))
        m_prompts.openUrl(m_options.downloadPage);
}

void UpdateCheck::fail(const QString& why)
{
    logLine(why);
    endUpdateConnection();
    m_prompts.presentConnectionError();
}

void UpdateCheck::endUpdateConnection()
{
    if (QNetworkReply* reply = std::exchange(m_reply, nullptr)) {
        // Detached first: aborting reports "finished", which is no longer ours.
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    m_data = QByteArray();
    m_panel->finish();
}

} // namespace navora
