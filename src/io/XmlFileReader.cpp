#include "io/XmlFileReader.h"

#include "io/XmlFileInput.h"
#include "io/XmlParsePass.h"
#include "io/XmlRecordSink.h"

#include "model/RegularFile.h"

#include <libxml/parser.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navora {

namespace {

// Never XML_PARSE_NOENT, XML_PARSE_DTDLOAD, XML_PARSE_DTDATTR or
// XML_PARSE_HUGE: entities stay references, no DTD is read, limits stay on.
constexpr int kStrictOptions = XML_PARSE_NONET | XML_PARSE_BIG_LINES;
constexpr int kTolerantOptions = kStrictOptions | XML_PARSE_RECOVER;

// The second parse, after the strict one gave no document.
XmlReadResult readTolerantly(XmlFileInput& input, const std::string& name, XmlRecordSink& sink, std::string error)
{
    XmlReadResult result;
    sink.reset();
    XmlParsePass tolerant(sink, name);
    xmlDocPtr document = tolerant.run(input, kTolerantOptions);
    const bool hasRoot = document != nullptr && tolerant.hasRoot();
    xmlFreeDoc(document);
    if (error.empty())
        error = tolerant.firstError().empty() ? name + ": not a well-formed XML document" : tolerant.firstError();
    result.error = std::move(error);
    if (tolerant.halted()) {
        result.error = tolerant.refusal();
    } else if (hasRoot && tolerant.truncated()) {
        // A file that ends early is an incomplete copy: none of it is used.
        result.error = name + ": the file ends before its document does (" + result.error + ")";
    } else {
        result.document = hasRoot;
    }
    if (!result.document)
        sink.reset();
    return result;
}

XmlReadResult readInput(XmlFileInput& input, const std::string& name, XmlRecordSink& sink)
{
    sink.reset();
    XmlParsePass strict(sink, name);
    xmlDocPtr document = strict.run(input, kStrictOptions);
    const bool read = document != nullptr && strict.wellFormed();
    xmlFreeDoc(document);
    if (strict.halted())
        return {false, strict.refusal()};
    if (read)
        return {true, strict.firstError()};
    return readTolerantly(input, name, sink, strict.firstError());
}

} // namespace

XmlReadResult XmlFileReader::readFile(const std::string& path, XmlRecordSink& sink)
{
    XmlReadResult result;
    std::string reason;
    const int fd = RegularFile::openForReading(path, reason);
    if (fd < 0) {
        result.error = path + ": " + reason;
        return result;
    }
    XmlFileInput input(fd, {});
    result = readInput(input, path, sink);
    ::close(fd);
    return result;
}

} // namespace navora
