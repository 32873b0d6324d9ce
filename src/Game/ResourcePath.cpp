#include "Game/ResourcePath.h"

#include <algorithm>

std::string resourcePath(const std::string& literal)
{
    std::string path = literal;
    std::replace(path.begin(), path.end(), '\\', '/');

    const std::string wrongCase = "Resources";
    std::size_t start = 0;
    if (path.compare(0, 2, "./") == 0)
        start = 2;
    if (path.compare(start, wrongCase.size(), wrongCase) == 0
        && (path.size() == start + wrongCase.size() || path[start + wrongCase.size()] == '/'))
        path.replace(start, wrongCase.size(), "resources");
    return path;
}
