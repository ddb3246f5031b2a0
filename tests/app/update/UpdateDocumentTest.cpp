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

std::ostream& operator<<(std::ostream& out, const DocumentCase& row)
{
    return out << row.name;
}

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

class UpdateDocumentTest : public testing::TestWithParam<DocumentCase> { };

TEST_P(UpdateDocumentTest, NamesTheVersionOrSaysWhyNot)
{
    const DocumentCase& row = GetParam();
    const UpdateDocument document = UpdateDocument::parse(row.bytes);
    EXPECT_EQ(document.hasVersion(), !row.version.isEmpty());
    EXPECT_EQ(document.version().toStdString(), row.version.toStdString());
    EXPECT_EQ(document.problem().toStdString(), row.problem.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Replies, UpdateDocumentTest, testing::ValuesIn(documentCases),
    [](const testing::TestParamInfo<DocumentCase>& row) { return std::string(row.param.name); });

// Restores an environment variable as it was.
class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const QByteArray& value)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_wasSet;
    QByteArray m_old;
};

TEST(UpdateCheckOptions, TakeTheBuildsValuesUnlessTheEnvironmentOverrides)
{
    {
        const EnvironmentVariable server("NAVORA_UPDATE_SERVER", {});
        const EnvironmentVariable channel("NAVORA_UPDATE_CHANNEL", {});
        const auto options = UpdateCheck::Options::fromBuildAndEnvironment(QStringLiteral("0.1.0"));
        EXPECT_EQ(options.server, QUrl(QStringLiteral(NAVORA_UPDATE_SERVER)));
        EXPECT_EQ(options.channel.toStdString(), NAVORA_UPDATE_CHANNEL);
        EXPECT_EQ(options.downloadPage, QUrl(QStringLiteral(NAVORA_DOWNLOAD_PAGE)));
        EXPECT_EQ(options.versionString.toStdString(), "0.1.0");
        EXPECT_TRUE(options.extraCaCertificates.isEmpty());
        EXPECT_EQ(options.transferTimeout, std::chrono::seconds(60));
    }
    const EnvironmentVariable server("NAVORA_UPDATE_SERVER", "https://127.0.0.1:8443");
    const EnvironmentVariable channel("NAVORA_UPDATE_CHANNEL", "Release");
    const auto options = UpdateCheck::Options::fromBuildAndEnvironment(QStringLiteral("0.1.0"));
    EXPECT_EQ(options.server, QUrl(QStringLiteral("https://127.0.0.1:8443")));
    EXPECT_EQ(options.channel.toStdString(), "Release");
    EXPECT_EQ(options.downloadPage, QUrl(QStringLiteral(NAVORA_DOWNLOAD_PAGE)));
}

} // namespace
} // namespace navora::test
