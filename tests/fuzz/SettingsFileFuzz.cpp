#include "FuzzCheck.h"
#include "Game/SettingsFile.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    SettingsFile settings = SettingsFile::parse(in);
    settings.limitWindowSize(1280, 800);
    FUZZ_CHECK(settings.windowedWidth >= 1 && settings.windowedWidth <= 1280);
    FUZZ_CHECK(settings.windowedHeight >= 1 && settings.windowedHeight <= 800);
    return 0;
}
