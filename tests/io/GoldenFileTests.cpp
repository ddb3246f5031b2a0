// Every file under data/golden imported and exported as the desktop program
// does it, compared with the expected files beside it (data/README.md).
#include "io/IoTestSupport.h"

#include <fstream>
#include <sstream>

namespace navora::test {
namespace {

void compareWithExpected(const std::string& actual, const std::string& expectedPath)
{
    if (const char* update = std::getenv("NAVORA_UPDATE_GOLDEN"); update != nullptr && std::string(update) == "1") {
        std::ofstream(expectedPath, std::ios::binary | std::ios::trunc) << actual;
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(expectedPath)) << expectedPath << " is missing (NAVORA_UPDATE_GOLDEN=1)";
    EXPECT_EQ(actual, fileBytes(expectedPath)) << expectedPath;
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : std::string(1, c);
    return out;
}

std::string dump(const ExchangeDocumentHost& host, const std::vector<std::string>& log, const std::string& folder)
{
    std::ostringstream out;
    int number = 0;
    for (const ExchangeDocument* document : host.documents()) {
        out << "document " << ++number << ": " << document->typeName();
        if (document->route())
            out << " named " << escaped(document->route()->description());
        out << "\n";
        for (const WaypointPtr& waypoint : document->waypointList())
            out << "  " << escaped(describe(*waypoint)) << "\n";
    }
    for (const std::string& line : log) {
        std::string text = line;
        // Paths differ from one checkout to the next.
        for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder))
            text.replace(at, folder.size(), "DATA");
        out << "log: " << escaped(text) << "\n";
    }
    return out.str();
}

class GoldenFile : public ::testing::TestWithParam<std::string> { };

TEST_P(GoldenFile, ImportsAndExportsAsExpected)
{
    const std::string input = GetParam();
    const bool isKml = std::filesystem::path(input).extension() == ".kml";
    Exporter exporter;
    MemoryDocumentHost& host = exporter.host;
    LogCapture log;
    if (isKml) {
        importerFor(host, input, [] { return ImportChoice::Route; }).importKML();
        importerFor(host, input, [] { return ImportChoice::Waypoints; }).importKML();
    } else {
        importerFor(host, input).importGPX();
    }
    compareWithExpected(dump(host, log.lines(), ioDataPath("golden")), input + ".import.txt");

    ScratchDirectory scratch;
    exporter.saveTo = scratch.file("out.gpx").string();
    ASSERT_TRUE(exporter.controller.exportAllToGPX());
    compareWithExpected(fileBytes(scratch.file("out.gpx")), input + ".export.gpx");
    const std::string validate = "xmllint --nonet --noout --schema " + ioDataPath("gpx.xsd") + " "
        + scratch.file("out.gpx").string() + " 2>/dev/null";
    EXPECT_EQ(std::system(validate.c_str()), 0) << "not valid GPX 1.1";
    exporter.saveTo = scratch.file("out.kml").string();
    int number = 0;
    for (ExchangeDocument* document : host.documents()) {
        host.setKeyDocument(document);
        ASSERT_TRUE(exporter.controller.exportKML());
        compareWithExpected(fileBytes(scratch.file("out.kml")), input + ".export-" + std::to_string(++number) + ".kml");
    }
}

std::vector<std::string> goldenInputs()
{
    std::vector<std::string> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(ioDataPath("golden"))) {
        const std::string name = entry.path().filename().string();
        if ((name.ends_with(".kml") || name.ends_with(".gpx")) && name.find(".export") == std::string::npos)
            inputs.push_back(entry.path().string());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

INSTANTIATE_TEST_SUITE_P(Data, GoldenFile, ::testing::ValuesIn(goldenInputs()), [](const auto& row) {
    std::string name = std::filesystem::path(row.param).filename().string();
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return !std::isalnum(c); }, '_');
    return name;
});

} // namespace
} // namespace navora::test
