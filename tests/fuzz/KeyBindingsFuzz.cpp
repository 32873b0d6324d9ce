#include "FuzzCheck.h"
#include "Interface/Console.h"

#include <sstream>
#include <string>

// The records read before any damage survive "bind list", a save and a new read.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    std::map<int, Console::Words> bindings;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    Console::parseBindings(in, bindings);
    const std::string listed = Console::listBindings(bindings);

    std::ostringstream saved;
    Console::writeBindings(saved, bindings);
    std::map<int, Console::Words> reread;
    std::istringstream again(saved.str());
    FUZZ_CHECK(Console::parseBindings(again, reread));
    FUZZ_CHECK(reread == bindings);
    FUZZ_CHECK(Console::listBindings(reread) == listed);
    return 0;
}
