#include "convert/summary.h"

#include <array>

#include "common/text.h"
#include "convert/channel_map.h"

namespace tonvert {

namespace {

struct ChannelCounts {
  int64_t kept = 0, arpeggio = 0, merged = 0;
  std::array<int64_t, 5> lost{};  // in the order of kLossNames
};

constexpr const char* kLossNames[] = {"velocity below 8", "undefined drum", "past 128 frames", "chord",
                                      "other channel"};

int LossIndex(Fate fate) {
  switch (fate) {
    case Fate::Quiet: return 0;
    case Fate::Undefined: return 1;
    case Fate::PastEnd: return 2;
    case Fate::LostToChord: return 3;
    case Fate::LostToOther: return 4;
    default: return -1;
  }
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string GroupedDecimal(int64_t n) {
  const std::string digits = DecimalForm(n < 0 ? -n : n);
  std::string out = n < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string SummaryText(const Song& song, const Placement& placement, ChannelRouting& routing, bool spread) {
  std::array<ChannelCounts, kTrackerChannelCount> counts{};
  std::array<int64_t, kMidiChannels> unmapped{};
  int64_t total = 0, kept = 0, unmappedTotal = 0;
  for (size_t i = 0; i < song.notes.size() && i < placement.fates.size(); ++i) {
    const NoteFate& fate = placement.fates[i];
    if (fate.fate == Fate::Uncounted) continue;
    ++total;
    if (fate.fate == Fate::Unmapped) {
      ++unmapped[static_cast<size_t>(song.notes[i].channel & 15)];
      ++unmappedTotal;
      continue;
    }
    ChannelCounts& c = counts[static_cast<size_t>(fate.channel - 1)];
    const int loss = LossIndex(fate.fate);
    if (loss >= 0) {
      ++c.lost[static_cast<size_t>(loss)];
      continue;
    }
    ++kept;
    ++c.kept;
    if (fate.fate == Fate::Arpeggio) ++c.arpeggio;
    if (fate.fate == Fate::Merged) ++c.merged;
  }

  std::string text;
  for (int t = 1; t <= kTrackerChannelCount; ++t) {
    std::string feeds;
    for (int m = 0; m < kMidiChannels; ++m) {
      // Without spread a MIDI channel plays in its first checked column only.
      bool feeding = routing.IsChannelMapped(t, m);
      for (int earlier = 1; feeding && !spread && earlier < t; ++earlier)
        if (routing.IsChannelMapped(earlier, m)) feeding = false;
      if (feeding) feeds += (feeds.empty() ? "" : "+") + DecimalForm(m + 1);
    }
    const ChannelCounts& c = counts[static_cast<size_t>(t - 1)];
    std::string line = Padded(TrackerChannel(t).name, 9) + Padded("MIDI " + (feeds.empty() ? "-" : feeds), 16) +
                       " placed " + GroupedDecimal(c.kept);
    std::string parts;
    if (c.arpeggio != 0) parts += GroupedDecimal(c.arpeggio) + " in arpeggios";
    if (c.merged != 0) parts += (parts.empty() ? "" : ", ") + GroupedDecimal(c.merged) + " merged drums";
    if (!parts.empty()) line += " (" + parts + ")";
    int64_t lost = 0;
    std::string causes;
    for (size_t k = 0; k < c.lost.size(); ++k) {
      lost += c.lost[k];
      if (c.lost[k] != 0) causes += (causes.empty() ? ": " : ", ") + GroupedDecimal(c.lost[k]) + " " + kLossNames[k];
    }
    text += line + ", lost " + GroupedDecimal(lost) + causes + "\n";
  }
  if (unmappedTotal != 0) {
    std::string channels;
    for (int m = 0; m < kMidiChannels; ++m)
      if (unmapped[static_cast<size_t>(m)] != 0) channels += (channels.empty() ? "" : ", ") + DecimalForm(m + 1);
    text += "Unmapped: " + GroupedDecimal(unmappedTotal) + " notes (MIDI channels " + channels + ")\n";
  }
  // One decimal, halves up; a song without notes keeps all of none.
  const int64_t tenths = total == 0 ? 1000 : (2000 * kept + total) / (2 * total);
  text += "Kept " + GroupedDecimal(kept) + " of " + GroupedDecimal(total) + " notes (" + DecimalForm(tenths / 10) +
          "." + DecimalForm(tenths % 10) + " %)\n";
  return text;
}

}  // namespace tonvert
