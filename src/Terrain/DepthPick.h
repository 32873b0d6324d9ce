#pragma once

#include "Graphics/Vector3.h"

// The world position drawn at a window pixel (x, y from the bottom left): the
// depth there, unprojected through the current model-view and projection
// matrices and viewport. Where nothing was drawn (depth 1, the sky) it is the
// point on the far plane. A pixel outside the viewport is taken at the
// nearest edge. Main thread, GL context current.
Vector3 unprojectPixel(int x, int y);
