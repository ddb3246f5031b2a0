// navora-convert: the converter that "navora convert" runs. A program of its
// own so that a conversion loads Qt Core, libxml2 and libplist alone and none
// of the desktop's libraries, which would more than double its memory.
#include "io/ConvertCommand.h"

#include <csignal>

int main(int argc, char** argv)
{
    // As in navora: a file-size limit is a write error, not a silent death.
    std::signal(SIGXFSZ, SIG_IGN);
    return navora::ConvertCommand::main(argc, argv);
}
