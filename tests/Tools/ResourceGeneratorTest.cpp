#include "ResourceGenerator.h"

#include <fstream>
#include <gtest/gtest.h>
#include <set>

// The build reruns the generator when a file of this list is missing or
// stale, so a file the generator writes but the list lacks would never be
// regenerated.
TEST(ResourceGeneratorTest, ManifestListsEveryGeneratedFile)
{
    std::ifstream manifest("tools/generated_resources.txt");
    ASSERT_TRUE(manifest) << "run from the source root";
    std::vector<std::string> listed;
    for (std::string line; std::getline(manifest, line);)
        if (!line.empty() && line[0] != '#')
            listed.push_back(line);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, ResourceGenerator().outputs());
}

TEST(ResourceGeneratorTest, NoTwoJobsWriteTheSameFile)
{
    const std::vector<std::string> files = ResourceGenerator().outputs();
    const std::set<std::string> unique(files.begin(), files.end());
    EXPECT_EQ(unique.size(), files.size());
    for (const std::string& file : files) {
        EXPECT_EQ(file.find('\\'), std::string::npos) << file;
        EXPECT_NE(file.front(), '/') << file;
    }
}
