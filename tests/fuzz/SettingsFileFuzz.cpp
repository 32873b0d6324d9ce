#include "FuzzCheck.h"
#include "Game/SettingsFile.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    SettingsFile settings = SettingsFile::parse(in);
    // What the Options page writes reads back to the same settings.
    std::ostringstream written, rewritten;
    settings.write(written);
    std::istringstream back(written.str());
    SettingsFile::parse(back).write(rewritten);
    FUZZ_CHECK(written.str() == rewritten.str());
    settings.limitWindowSize(1280, 800);
    FUZZ_CHECK(settings.windowedWidth >= 1 && settings.windowedWidth <= 1280);
    FUZZ_CHECK(settings.windowedHeight >= 1 && settings.windowedHeight <= 800);
    return 0;
}
