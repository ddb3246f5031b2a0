// Hostile XML ends in the logged error with nothing imported and nothing
// fetched; a file cut short gives nothing.
#include "io/IoTestSupport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace navora::test {
namespace {

constexpr std::string_view kSecret = "navora-secret-6f1c";

std::string repeated(std::string_view text, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out.append(text);
    return out;
}

// A loopback port that notices whoever connects to it.
struct Listener {
    Listener()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(fd, 4), 0);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    ~Listener() { ::close(fd); }
    bool anyoneConnected() const { return ::accept(fd, nullptr, nullptr) >= 0; }

    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    std::string url;
};

// %RECORD% in text stands for one waypoint (GPX) or placemark (KML) named name.
std::string forReader(std::string text, const std::string& name, bool kml)
{
    const std::string record = kml
        ? "<Placemark><name>" + name + "</name><Point><coordinates>1,2</coordinates></Point></Placemark>"
        : "<wpt lat=\"1\" lon=\"2\"><name>" + name + "</name></wpt>";
    if (const size_t at = text.find("%RECORD%"); at != std::string::npos)
        text.replace(at, 8, record);
    return text;
}

TEST(HostileInput, EndsInTheLoggedErrorWithNothingImported)
{
    ScratchDirectory folder;
    const std::string secret = folder.write("secret.txt", kSecret);
    const Listener listener;
    const std::string& url = listener.url;
    const std::string wpt = "%RECORD%";
    std::string laughs = "<!DOCTYPE gpx [<!ENTITY lol0 \"lol\">";
    for (int level = 1; level <= 9; ++level)
        laughs += "<!ENTITY lol" + std::to_string(level) + " \""
            + repeated("&lol" + std::to_string(level - 1) + ";", 10) + "\">";
    const struct {
        std::string label;
        std::string text;
        std::string name = "A";
    } cases[]{
        {"billion-laughs", laughs + "]><gpx>" + wpt + "</gpx>", "&lol9;"},
        {"quadratic-blowup", "<!DOCTYPE gpx [<!ENTITY e \"" + std::string(100000, 'a') + "\">]><gpx>" + wpt + "</gpx>",
            repeated("&e;", 1000)},
        {"external-entity", "<!DOCTYPE gpx [<!ENTITY x SYSTEM \"file://" + secret + "\">]><gpx>" + wpt + "</gpx>",
            "&x;"},
        {"external-parameter-entity",
            "<!DOCTYPE gpx [<!ENTITY % p SYSTEM \"file://" + secret + "\"> %p;]><gpx>" + wpt + "</gpx>"},
        {"unparsed-entity",
            "<!DOCTYPE gpx [<!NOTATION n SYSTEM \"n\"><!ENTITY u SYSTEM \"" + url + "/u\" NDATA n>]><gpx>" + wpt
                + "</gpx>"},
        {"entity-at-a-url", "<!DOCTYPE gpx [<!ENTITY x SYSTEM \"" + url + "/x\">]><gpx>" + wpt + "</gpx>", "&x;"},
        {"deep-nesting", "<gpx>" + wpt + repeated("<a>", 100000) + repeated("</a>", 100000) + "</gpx>"},
        {"huge-single-line", "<gpx>" + wpt + "</gpx>", std::string(50u << 20, 'x')},
        // Within what a value may hold, beyond what libxml2 puts in one text node.
        {"huge-text-node", "<gpx>" + wpt + "</gpx>", std::string(10'200'000, 'x')},
        {"huge-attribute", "<gpx><x a=\"" + std::string(50u << 20, '1') + "\"/>" + wpt + "</gpx>"},
        {"many-nodes-in-a-value", "<gpx>" + wpt + "</gpx>", repeated("<b/>", 20000)},
        {"nul-bytes", std::string(4096, '\0')},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.label);
        MemoryDocumentHost host;
        LogCapture log;
        const std::string gpx = folder.write(hostile.label + ".gpx", forReader(hostile.text, hostile.name, false));
        const std::string kml = folder.write(hostile.label + ".kml", forReader(hostile.text, hostile.name, true));
        EXPECT_FALSE(importerFor(host, gpx).importGPX());
        MemoryRouteDocument route;
        EXPECT_FALSE(importerFor(host, kml).importKMLforDocument(route, true));
        EXPECT_TRUE(host.documents().empty());
        EXPECT_EQ(route.changeCount(), 0);
        const std::vector<std::string> lines = log.lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].rfind("Error importing KML file: " + gpx, 0), 0u) << lines[0];
        EXPECT_EQ(lines[1].rfind("Error importing KML file: " + kml, 0), 0u) << lines[1];
        EXPECT_EQ((lines[0] + lines[1]).find(kSecret), std::string::npos);
    }

    // A document type that names an external definition is common and
    // harmless: the file is read, the definition never fetched.
    for (const std::string& doctype : {"<!DOCTYPE gpx SYSTEM \"" + url + "/gpx.dtd\">",
             "<!DOCTYPE gpx PUBLIC \"-//X//DTD GPX//EN\" \"" + url + "/gpx.dtd\">"}) {
        MemoryDocumentHost host;
        LogCapture log;
        EXPECT_TRUE(
            importerFor(host, folder.write("doctype.gpx", forReader(doctype + "<gpx>" + wpt + "</gpx>", "A", false)))
                .importGPX())
            << doctype;
        ASSERT_EQ(host.documents().size(), 1u) << doctype;
        EXPECT_EQ(host.documents().front()->waypointList().size(), 1u) << doctype;
    }
    EXPECT_FALSE(listener.anyoneConnected());
    // Nor is XInclude processed; entity references outside the values read cost nothing.
    MemoryDocumentHost included;
    ASSERT_TRUE(importerFor(included,
        folder.write("in.gpx",
            "<!DOCTYPE gpx [<!ENTITY e \"x\">]><gpx xmlns:xi=\"http://www.w3.org/2001/XInclude\">"
                + repeated("&e;", 1000000) + "<wpt lat=\"1\" lon=\"2\"><name>A<xi:include href=\"file://" + secret
                + "\" parse=\"text\"/></name><cmt>&e;&e;</cmt></wpt></gpx>"))
                    .importGPX());
    ASSERT_EQ(included.documents().size(), 1u);
    EXPECT_EQ(describe(included.documents().front()->waypointList()),
        std::vector<std::string>{"A | xx | 1.000000 | 2.000000 | 0.000000"});
}

// Cut before the root's end tag, a file gives nothing and one logged error;
// cut inside it, the file still holds all of its content and the tolerant
// parse reads it.
TEST(HostileInput, TruncatedAtAnyPointGivesNothing)
{
    const std::string whole = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                              "<wpt lat=\"1\" lon=\"2\"><name>A</name><cmt>first</cmt></wpt>\n"
                              "<rte><name>R</name><rtept lat=\"3\" lon=\"4\"><name>B</name></rtept></rte>\n"
                              "</gpx>";
    ScratchDirectory folder;
    const size_t rootEnd = whole.rfind("</gpx>");
    for (size_t length = 0; length <= whole.size(); ++length) {
        MemoryDocumentHost host;
        LogCapture log;
        const bool readable = length > rootEnd + 1;
        EXPECT_EQ(importerFor(host, folder.write("cut.gpx", whole.substr(0, length))).importGPX(), readable) << length;
        EXPECT_EQ(host.documents().size(), readable ? 2u : 0u) << length;
        if (!readable) {
            EXPECT_EQ(log.lines().size(), 1u) << length;
        }
    }
}

} // namespace
} // namespace navora::test
