#include "ResourceGenerator.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

// The build reruns the generator when a file of this list is missing or
// stale, so a file the generator writes but the list lacks would never be
// regenerated. Each file has one job, and a relative '/' separated path.
TEST(GeneratorTest, ManifestListsEveryGeneratedFileOnce)
{
    std::ifstream manifest("tools/generated_resources.txt");
    ASSERT_TRUE(manifest) << "run from the source root";
    std::vector<std::string> listed;
    for (std::string line; std::getline(manifest, line);)
        if (!line.empty() && line[0] != '#')
            listed.push_back(line);
    std::sort(listed.begin(), listed.end());
    std::vector<std::string> files = ResourceGenerator().outputs();
    EXPECT_EQ(listed, files);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(std::adjacent_find(files.begin(), files.end()), files.end());
    for (const std::string& file : files) {
        EXPECT_EQ(file.find('\\'), std::string::npos) << file;
        EXPECT_NE(file.front(), '/') << file;
    }
}
