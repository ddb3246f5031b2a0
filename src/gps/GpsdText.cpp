#include "gps/GpsdText.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/socket.h>

namespace navora {

bool GpsdText::sendAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

std::string GpsdText::excerpt(std::string_view line)
{
    constexpr size_t shown = 80;
    std::string out;
    for (size_t i = 0; i < line.size() && i < shown; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c >= 0x20 && c < 0x7f) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
            out.append(escaped);
        }
    }
    if (line.size() > shown)
        out.append("...");
    return out;
}

bool GpsdText::isVersionReport(std::string_view received)
{
    std::string_view line = received.substr(0, received.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (line.empty() || line.front() != '{')
        return false;
    const QJsonDocument document
        = QJsonDocument::fromJson(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    return document.isObject() && document.object().value(QLatin1String("class")).toString() == "VERSION";
}

std::string GpsdText::reason(int error)
{
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

} // namespace navora
