#pragma once

#include "OutputFolder.h"
#include "ResourceJob.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// Runs generator jobs into a fresh temporary folder, lists what they wrote
// and removes the folder again; one per test suite, so each suite checks
// the files its own jobs produce.
class GeneratedFolder
{
public:
    explicit GeneratedFolder(const std::vector<ResourceJob>& jobs)
    {
        static int count = 0;
        root = std::filesystem::temp_directory_path()
            / ("glebe-resources-" + std::to_string(::getpid()) + "-" + std::to_string(count++));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        const OutputFolder out(root);
        for (const ResourceJob& job : jobs) {
            job.run(out);
            declaredFiles.insert(declaredFiles.end(), job.outputs.begin(), job.outputs.end());
        }
        std::sort(declaredFiles.begin(), declaredFiles.end());
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                writtenFiles.push_back(entry.path().lexically_relative(root).generic_string());
        std::sort(writtenFiles.begin(), writtenFiles.end());
    }
    ~GeneratedFolder() { std::filesystem::remove_all(root); }

    std::string path(const std::string& relative) const { return (root / relative).string(); }
    const std::vector<std::string>& written() const { return writtenFiles; }
    const std::vector<std::string>& declared() const { return declaredFiles; }

private:
    std::filesystem::path root;
    std::vector<std::string> declaredFiles, writtenFiles;
};
