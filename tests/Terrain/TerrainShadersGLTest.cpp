#include "Graphics/ShaderProgram.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ProgramSource
{
    std::string basePath;
    bool withGeometry;
    // Attributes the program reads, by the locations every mesh feeds.
    std::vector<std::pair<std::string, GLint>> attributes;
};

const std::vector<ProgramSource> programs {
    { "./Resources/Shaders/terrain", false,
        { { "vPosition", 0 }, { "vNormal", 1 }, { "vAlpha", 3 }, { "vMaterial", 4 } } },
    { "./Resources/Shaders/water", false, { { "vPosition", 0 }, { "vNormal", 1 }, { "vTangent", 5 } } },
    { "./Resources/Shaders/vegetation", false, { { "vPosition", 0 }, { "vNormal", 1 }, { "vTexCoord", 2 } } },
    { "./Resources/Shaders/model_colour_picking", false, { { "vPosition", 0 } } },
    { "./Resources/Shaders/model", false,
        { { "vPosition", 0 }, { "vNormal", 1 }, { "vTexCoord", 2 }, { "vTangent", 5 } } },
    { "./Resources/Shaders/model", true,
        { { "vPosition", 0 }, { "vNormal", 1 }, { "vTexCoord", 2 }, { "vTangent", 5 } } },
};

} // namespace

TEST(TerrainShadersTest, EveryProgramCompilesAndLinksSilentlyWithItsAttributesInPlace)
{
    for (const ProgramSource& source : programs) {
        SCOPED_TRACE(source.basePath + (source.withGeometry ? " with geometry" : ""));
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ShaderProgram program;
        program.load(source.basePath, source.withGeometry);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, "");

        GLint linked = GL_FALSE;
        glGetProgramiv(program.program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(program.geometryShader != 0, source.withGeometry);
        for (const auto& [name, location] : source.attributes)
            EXPECT_EQ(glGetAttribLocation(program.program, name.c_str()), location) << name;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}
