#include "OutputFolder.h"
#include "ResourceGenerator.h"

#include <chrono>
#include <exception>
#include <iostream>
#include <string>

// Writes every generated resource into the folder given as the argument
// (the repository's resources folder when run by the build). With --list it
// prints the files it would write, the content of generated_resources.txt.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <resources folder> | --list\n";
        return 2;
    }
    const std::string argument = argv[1];
    try {
        const ResourceGenerator generator;
        if (argument == "--list") {
            for (const std::string& file : generator.outputs())
                std::cout << file << "\n";
            return 0;
        }
        const auto start = std::chrono::steady_clock::now();
        generator.run(OutputFolder(argument));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::cout << "Generated " << generator.outputs().size() << " resource files in " << elapsed.count()
                  << " s\n";
    } catch (const std::exception& error) {
        std::cerr << "Resource generation failed: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
