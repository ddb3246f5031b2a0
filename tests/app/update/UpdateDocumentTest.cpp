#include "support/PlistBytes.h"

#include "app/update/UpdateCheck.h"
#include "app/update/UpdateDocument.h"

#include <QFile>

#include <gtest/gtest.h>

namespace navora::test {
namespace {

struct DocumentCase {
    const char* name;
    QByteArray bytes;
    QString version; // empty: no version expected
    QString problem;
};

const QByteArray versionOne = PlistBytes::xmlWithVersion(QStringLiteral("1.0"));

QByteArray seed(const char* name)
{
    QFile file(QStringLiteral(NAVORA_PLIST_SEEDS "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}
const QString noKey = QStringLiteral("the reply has no \"CFBundleVersion\"");
const QString notAList = QStringLiteral("the reply is not a property list");
const QString notAVersion = QStringLiteral("the reply's \"CFBundleVersion\" is not a version");

const DocumentCase documentCases[] = {
    {"Xml", versionOne, QStringLiteral("1.0"), {}},
    {"Binary", PlistBytes::binaryFromXml(versionOne), QStringLiteral("1.0"), {}},
    {"NonAsciiVersion", PlistBytes::xmlWithVersion(QStringLiteral("2.0 β")), QStringLiteral("2.0 β"), {}},
    {"Empty", {}, {}, QStringLiteral("the reply is empty")},
    {"NotAPlist", QByteArrayLiteral("<html><body>Not found</body></html>"), {}, notAList},
    {"TruncatedXml", versionOne.left(versionOne.size() / 2), {}, notAList},
    {"TruncatedBinary", PlistBytes::binaryFromXml(versionOne).chopped(12), {},
        QStringLiteral("the reply is refused: the binary property list has no valid trailer")},
    // Hostile binary lists that would keep the library busy without end
    // (tools/fuzz/make_hostile_plists.py): refused before it sees them.
    {"SharedChildren", seed("shared-children.bplist"), {},
        QStringLiteral("the reply is refused: the binary property list nests deeper than 32")},
    {"ShallowSharing", seed("shallow-sharing.bplist"), {},
        QStringLiteral("the reply is refused: the binary property list holds more than 1024 nodes")},
    {"DeepNesting", seed("deep-nesting.bplist"), {},
        QStringLiteral("the reply is refused: the binary property list nests deeper than 32")},
    {"ArrayAtTop", PlistBytes::xmlWithBody("<array><string>1.0</string></array>"), {},
        QStringLiteral("the reply's top level is not a dictionary")},
    {"StringAtTop", PlistBytes::xmlWithBody("<string>1.0</string>"), {},
        QStringLiteral("the reply's top level is not a dictionary")},
    {"KeyMissing", PlistBytes::xmlWithBody("<dict><key>CFBundleName</key><string>Navora</string></dict>"), {}, noKey},
    {"KeyInNestedDict",
        PlistBytes::xmlWithBody(
            "<dict><key>app</key><dict><key>CFBundleVersion</key><string>1.0</string></dict></dict>"),
        {}, noKey},
    {"IntegerVersion", PlistBytes::xmlWithBody("<dict><key>CFBundleVersion</key><integer>2</integer></dict>"), {},
        QStringLiteral("the reply's \"CFBundleVersion\" is not a string")},
    {"EmptyVersion", PlistBytes::xmlWithVersion({}), {}, notAVersion},
    {"VersionWithNewline", PlistBytes::xmlWithVersion(QStringLiteral("1.0\n2.0")), {}, notAVersion},
    {"OverlongVersion", PlistBytes::xmlWithVersion(QString(UpdateDocument::maxVersionLength + 1, u'1')), {},
        notAVersion},
};

TEST(UpdateDocumentTest, NamesTheVersionOrSaysWhyNot)
{
    for (const DocumentCase& row : documentCases) {
        SCOPED_TRACE(row.name);
        const UpdateDocument document = UpdateDocument::parse(row.bytes);
        EXPECT_EQ(document.hasVersion(), !row.version.isEmpty());
        EXPECT_EQ(document.version().toStdString(), row.version.toStdString());
        EXPECT_EQ(document.problem().toStdString(), row.problem.toStdString());
    }
}

// The test's own environment for the two variables, the old one restored after.
TEST(UpdateCheckOptions, TakeTheBuildsValuesUnlessTheEnvironmentOverrides)
{
    const char* names[] = {"NAVORA_UPDATE_SERVER", "NAVORA_UPDATE_CHANNEL"};
    std::vector<std::optional<QByteArray>> saved;
    for (const char* name : names) {
        saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        qunsetenv(name);
    }
    auto options = UpdateCheck::Options::fromBuildAndEnvironment(QStringLiteral("0.1.0"));
    EXPECT_EQ(options.server, QUrl(QStringLiteral(NAVORA_UPDATE_SERVER)));
    EXPECT_EQ(options.channel.toStdString(), NAVORA_UPDATE_CHANNEL);
    EXPECT_EQ(options.downloadPage, QUrl(QStringLiteral(NAVORA_DOWNLOAD_PAGE)));
    EXPECT_EQ(options.versionString.toStdString(), "0.1.0");
    EXPECT_TRUE(options.extraCaCertificates.isEmpty());
    EXPECT_EQ(options.transferTimeout, std::chrono::seconds(60));

    qputenv(names[0], "https://127.0.0.1:8443");
    qputenv(names[1], "Release");
    options = UpdateCheck::Options::fromBuildAndEnvironment(QStringLiteral("0.1.0"));
    EXPECT_EQ(options.server, QUrl(QStringLiteral("https://127.0.0.1:8443")));
    EXPECT_EQ(options.channel.toStdString(), "Release");
    EXPECT_EQ(options.downloadPage, QUrl(QStringLiteral(NAVORA_DOWNLOAD_PAGE)));
    for (size_t i = 0; i < saved.size(); ++i)
        saved[i] ? qputenv(names[i], *saved[i]) : qunsetenv(names[i]);
}

} // namespace
} // namespace navora::test
