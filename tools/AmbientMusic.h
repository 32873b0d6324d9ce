#pragma once

#include "ResourceJob.h"

// The background music: a calm loop of about 24 seconds in D major, soft
// pads over a slow bass with a sparse bell arpeggio, in stereo Ogg Vorbis.
// Notes ringing past the end continue at the start, so the game can loop
// it without a gap.
ResourceJob ambientMusicJob();
