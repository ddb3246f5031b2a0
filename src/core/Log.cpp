#include "core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace navora {

namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

Log::Sink& currentSink()
{
    static Log::Sink sink;
    return sink;
}

void writeToStandardError(std::string_view text)
{
    // One write per line so lines of two threads never interleave mid-line.
    std::string buffer;
    buffer.reserve(text.size() + 1);
    buffer.append(text);
    buffer.push_back('\n');
    std::fwrite(buffer.data(), 1, buffer.size(), stderr);
}

// Lines of this thread's open Log::Batch, not yet written.
thread_local int t_batchDepth = 0;
constexpr size_t kBatchFlushBytes = 64 * 1024;

std::string& batchBuffer()
{
    thread_local std::string buffer;
    return buffer;
}

void flushBatch()
{
    std::string& buffer = batchBuffer();
    if (buffer.empty())
        return;
    std::fwrite(buffer.data(), 1, buffer.size(), stderr);
    buffer.clear();
}

std::string flattened(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return out;
}

} // namespace

void Log::line(std::string_view text)
{
    const std::string single = flattened(text);
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(single);
    } else if (t_batchDepth > 0) {
        batchBuffer().append(single).push_back('\n');
        if (batchBuffer().size() >= kBatchFlushBytes)
            flushBatch();
    } else {
        writeToStandardError(single);
    }
}

void Log::format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::vector<char> buffer(needed > 0 ? static_cast<size_t>(needed) + 1 : 1, '\0');
    if (needed > 0)
        std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    va_end(args);
    line(std::string_view(buffer.data(), needed > 0 ? static_cast<size_t>(needed) : 0));
}

Log::Batch::Batch()
{
    ++t_batchDepth;
}

Log::Batch::~Batch()
{
    if (--t_batchDepth > 0)
        return;
    std::lock_guard lock(sinkMutex());
    flushBatch();
}

Log::Sink Log::setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

} // namespace navora
