#include "Game/MessageLog.h"

#include <atomic>
#include <streambuf>

namespace {
std::atomic<MessageLog*> instance { nullptr };
}

// A stream buffer that passes every character on to the stream's own buffer
// at once and hands the log whole lines. It keeps no put area, so each write
// reaches overflow or xsputn, where a lock makes it safe from any thread.
class MessageLog::Tee : public std::streambuf
{
public:
    Tee(MessageLog& log, std::ostream& stream)
        : log(log)
        , stream(stream)
        , original(stream.rdbuf(this))
    {
    }
    ~Tee() override
    {
        stream.rdbuf(original);
        if (!line.empty())
            log.append(line + "\n");
    }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        const char character = traits_type::to_char_type(c);
        return xsputn(&character, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        const std::streamsize written = original->sputn(text, count);
        for (std::streamsize i = 0; i < count; ++i) {
            line += text[i];
            if (text[i] == '\n') {
                log.append(line);
                line.clear();
            }
        }
        return written;
    }
    int sync() override { return original->pubsync(); }

private:
    MessageLog& log;
    std::ostream& stream;
    std::streambuf* const original;
    std::mutex mutex;
    std::string line;
};

MessageLog::MessageLog(std::filesystem::path file, std::uintmax_t limit)
    : file(std::move(file))
    , limit(limit)
    , out(this->file, std::ios::app | std::ios::binary)
{
    std::error_code error;
    const std::uintmax_t existing = std::filesystem::file_size(this->file, error);
    size = error ? 0 : existing;
    instance = this;
}

MessageLog::~MessageLog()
{
    tees.clear();
    instance = nullptr;
}

MessageLog* MessageLog::getInstance()
{
    return instance;
}

void MessageLog::append(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (!out.is_open())
        return;
    out << text << std::flush;
    size += text.size();
    if (size <= limit)
        return;
    out.close();
    std::filesystem::path older = file;
    older += ".1";
    std::error_code error;
    std::filesystem::rename(file, older, error);
    out.open(file, std::ios::trunc | std::ios::binary);
    size = 0;
}

void MessageLog::tee(std::ostream& stream)
{
    tees.push_back(std::make_unique<Tee>(*this, stream));
}
