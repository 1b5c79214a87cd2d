// What a run kept of the song, tracker channel by tracker channel: the
// command line's --summary. Counts the stored notes of non-zero length by the
// fate placement and the passes after it recorded.
#pragma once

#include <cstdint>
#include <string>

#include "common/front_end.h"
#include "convert/placement.h"
#include "midi/song.h"

namespace tonvert {

// "7,102": thousands separated by commas.
std::string GroupedDecimal(int64_t n);

// One line per tracker channel, then "Unmapped: ..." when notes were, then
// "Kept K of N notes (P %)". Lines end in "\n". `spread`: a MIDI channel
// feeds every column it is checked in, not only its first.
std::string SummaryText(const Song& song, const Placement& placement, ChannelRouting& routing, bool spread);

}  // namespace tonvert
