#include "FuzzCheck.h"
#include "Game/TypedConfig.h"

#include <sstream>
#include <string>

namespace {
std::string written(const TypedConfig& config)
{
    std::ostringstream out;
    config.write(out);
    return out.str();
}
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    TypedConfig first;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!first.load(in))
        return 0;
    const std::string text = written(first);
    TypedConfig second;
    std::istringstream again(text);
    FUZZ_CHECK(second.load(again));
    FUZZ_CHECK(first.bools == second.bools && first.ints == second.ints && first.strings == second.strings);
    FUZZ_CHECK(first.doubles == second.doubles);
    FUZZ_CHECK(text == written(second));
    return 0;
}
