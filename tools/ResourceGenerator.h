#pragma once

#include "ResourceJob.h"

#include <string>
#include <vector>

class OutputFolder;

// All the resources the build generates, as independent jobs that run on
// every core. A job that throws stops the run with its error once the jobs
// already started have finished.
class ResourceGenerator
{
public:
    ResourceGenerator();

    const std::vector<ResourceJob>& jobs() const { return all; }
    // Every file the jobs write, relative to the resources folder, sorted.
    std::vector<std::string> outputs() const;
    void run(const OutputFolder& out) const;

private:
    std::vector<ResourceJob> all;
};
