#pragma once

// Whether the calling thread has a current OpenGL context. Kept apart from
// the rest because the X11 headers it needs define a type named Window.
bool hasCurrentContext();
