#include "Graphics/CurrentContext.h"

#include <GL/glx.h>

bool hasCurrentContext()
{
    return glXGetCurrentContext() != nullptr;
}
