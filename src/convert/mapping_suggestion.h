// "Auto": the channel mapping that keeps the most notes of a song. MIDI
// channel 10 goes to Noise, nothing to DPCM, a low and mostly single-note part
// to the Triangle, the busiest parts to the pulse columns, and with spread on
// a chord-playing part may take several columns.
#pragma once

#include "common/front_end.h"
#include "convert/channel_map.h"
#include "convert/conversion.h"
#include "convert/placement.h"
#include "midi/song.h"

namespace tonvert {

// Clears `boxes` and checks the suggested ones. Deterministic.
void SuggestMapping(const Song& song, const Grid& grid, bool spread, bool arpeggios, ChannelAssignment& boxes);

// The window's "Auto": reads the MIDI file, rows and ticks as a run would and
// shows the messages a run would show; where a run would stop it changes
// nothing. The options are read from the front end as they are now.
void SuggestMappingFor(FrontEnd& frontEnd, ChannelAssignment& boxes);

}  // namespace tonvert
