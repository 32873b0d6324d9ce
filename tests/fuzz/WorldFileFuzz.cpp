#include "FuzzCheck.h"
#include "Game/TypedConfig.h"
#include "World/WorldFolder.h"

#include <cstring>
#include <sstream>
#include <string>

namespace {
bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}
}

// A world file read, written back as the data manager does (keeping entries
// of other names) and read again holds the same world.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    TypedConfig file;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (!file.load(in))
        return 0;
    WorldSettings world;
    WorldFolder::decode(file, world);
    WorldFolder::encode(world, file);
    std::ostringstream out;
    file.write(out);

    TypedConfig reread;
    std::istringstream again(out.str());
    FUZZ_CHECK(reread.load(again));
    WorldSettings back;
    WorldFolder::decode(reread, back);
    FUZZ_CHECK(back.userStored && world.seed1 == back.seed1 && world.seed2 == back.seed2);
    FUZZ_CHECK(same(world.user.x, back.user.x) && same(world.user.y, back.user.y) && same(world.user.z, back.user.z));
    FUZZ_CHECK(same(world.sunAngle, back.sunAngle) && same(world.dayLength, back.dayLength));
    std::ostringstream rewritten;
    reread.write(rewritten);
    FUZZ_CHECK(out.str() == rewritten.str());
    return 0;
}
