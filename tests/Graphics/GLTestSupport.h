#pragma once

// The GL test helpers now live in tests/support; this name stays only until
// every test program includes them from there.
#include "Graphics/FrameBuffer.h"
#include "Graphics/Textures.h"
#include "support/GLTestSupport.h"
