// navora convert as a process: a file-size limit (ulimit -f) is an ordinary
// write error, not a silent death that leaves its temporary behind.
#include "support/ProgramRun.h"
#include "support/ScratchDirectory.h"

#include <gtest/gtest.h>

#include <chrono>

namespace navora::test {
namespace {

using namespace std::chrono_literals;

TEST(ConvertProgram, AFileSizeLimitIsAWriteErrorThatKeepsTheOldFile)
{
    ScratchDirectory scratch;
    std::string gpx = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int i = 0; i < 20000; ++i)
        gpx += "<wpt lat=\"47.5\" lon=\"9.7\"><name>W" + std::to_string(i) + "</name><cmt>a comment</cmt></wpt>\n";
    gpx += "</gpx>\n";
    const std::string input = scratch.write("big.gpx", gpx);
    const std::string output = scratch.write("list.nvw", "old");

    // 64 blocks of 1 KiB: far less than the list's archive.
    ProgramRun program(
        {"bash", "-c", "ulimit -f 64 && exec \"$0\" convert --quiet \"$1\" \"$2\"", NAVORA_PROGRAM, input, output},
        scratch.file("stderr.txt"), scratch.path());
    ASSERT_TRUE(program.started());
    while (program.readLine(60s)) { } // to the end of its output
    const int status = program.terminate(10s);
    const std::string errors = ProgramRun::fileText(scratch.file("stderr.txt"));
    EXPECT_EQ(status, 1) << errors;
    EXPECT_NE(errors.find("File too large"), std::string::npos) << errors;
    EXPECT_EQ(fileBytes(output), "old");
    EXPECT_EQ(scratch.entries(), (std::vector<std::string>{"big.gpx", "list.nvw", "stderr.txt"}));
}

} // namespace
} // namespace navora::test
