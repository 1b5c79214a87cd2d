#include "convert/mapping_suggestion.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace tonvert {

namespace {

// The columns a melodic part may take, in the order they are handed out.
constexpr int kMelodicColumns[] = {1, 2, 6, 7, kTriangleChannel};

// Rows of one column that already start a note, as bits.
class RowSet {
 public:
  explicit RowSet(int64_t rows) : bits_(static_cast<size_t>((rows + 63) / 64), 0) {}
  bool Has(int64_t row) const { return (bits_[static_cast<size_t>(row >> 6)] >> (row & 63)) & 1; }
  void Add(int64_t row) { bits_[static_cast<size_t>(row >> 6)] |= uint64_t{1} << (row & 63); }

 private:
  std::vector<uint64_t> bits_;
};

struct Part {
  int channel = 0;               // MIDI channel 0-15
  std::vector<int64_t> rows;     // distinct start rows, ascending
  std::vector<int32_t> chord;    // notes starting on each of those rows
  int64_t notes = 0;
  double meanKey = 0;
  int64_t chordRows = 0;         // rows where it starts two notes or more
  std::vector<int> columns;      // given so far, leftmost first
};

}  // namespace

void SuggestMapping(const Song& song, const Grid& grid, bool spread, ChannelAssignment& boxes) {
  ClearMapper(boxes);
  boxes.SetChecked(MapperBoxIndex(kNoiseChannel, kDrumChannel), true);

  // The notes a run could keep: sounding, of some length, within 128 frames.
  const int64_t songRows = int64_t{kMaxFrames} * grid.rowsPerPattern;
  std::array<std::vector<int64_t>, kMidiChannels> starts;
  std::array<int64_t, kMidiChannels> keySums{};
  for (const Note& note : song.notes) {
    if (note.length == 0 || note.velocity < 8 || note.channel == kDrumChannel) continue;
    const int64_t row = note.start / grid.ticksPerRow;
    if (row >= songRows) continue;
    starts[static_cast<size_t>(note.channel)].push_back(row);
    keySums[static_cast<size_t>(note.channel)] += note.key;
  }
  std::vector<Part> parts;
  for (int m = 0; m < kMidiChannels; ++m) {
    std::vector<int64_t>& rows = starts[static_cast<size_t>(m)];
    if (rows.empty()) continue;
    std::sort(rows.begin(), rows.end());
    Part part;
    part.channel = m;
    part.notes = static_cast<int64_t>(rows.size());
    part.meanKey = static_cast<double>(keySums[static_cast<size_t>(m)]) / static_cast<double>(rows.size());
    for (int64_t row : rows) {
      if (!part.rows.empty() && part.rows.back() == row) {
        if (++part.chord.back() == 2) ++part.chordRows;
        continue;
      }
      part.rows.push_back(row);
      part.chord.push_back(1);
    }
    parts.push_back(std::move(part));
  }

  std::vector<RowSet> taken(kTrackerChannelCount + 1, RowSet(songRows));
  std::vector<std::vector<int32_t>> kept(parts.size());
  for (size_t p = 0; p < parts.size(); ++p) kept[p].assign(parts[p].rows.size(), 0);
  // The part's notes a further column would keep: where it has a note left
  // over and the column starts nothing yet.
  const auto gain = [&](size_t p, int column) {
    const RowSet& rows = taken[static_cast<size_t>(column)];
    int64_t more = 0;
    for (size_t r = 0; r < parts[p].rows.size(); ++r)
      if (kept[p][r] < parts[p].chord[r] && !rows.Has(parts[p].rows[r])) ++more;
    return more;
  };
  const auto give = [&](size_t p, int column) {
    RowSet& rows = taken[static_cast<size_t>(column)];
    for (size_t r = 0; r < parts[p].rows.size(); ++r) {
      if (kept[p][r] >= parts[p].chord[r] || rows.Has(parts[p].rows[r])) continue;
      rows.Add(parts[p].rows[r]);
      ++kept[p][r];
    }
    parts[p].columns.push_back(column);
    boxes.SetChecked(MapperBoxIndex(column, parts[p].channel), true);
  };
  std::array<int, kTrackerChannelCount + 1> partsIn{};

  // The Triangle has no volume and plays one note: the lowest part that is
  // mostly single notes, when it lies below middle C.
  std::optional<size_t> bass;
  for (size_t p = 0; p < parts.size(); ++p)
    if (parts[p].chordRows * 10 <= static_cast<int64_t>(parts[p].rows.size()) && parts[p].meanKey < 60 &&
        (!bass || parts[p].meanKey < parts[*bass].meanKey))
      bass = p;
  if (bass) {
    give(*bass, kTriangleChannel);
    ++partsIn[kTriangleChannel];
  }

  // Then, move by move, the part and column that keep the most further notes:
  // every part gets a column first (an unmapped part loses everything), the
  // busiest into empty columns; with spread, chords then take the columns
  // left over.
  // On a tie: the column fewer parts share, the busier part, the lower
  // channel, the earlier column.
  for (;;) {
    std::optional<size_t> best;
    int bestColumn = 0;
    int64_t bestGain = 0;
    const bool allPlaced = std::all_of(parts.begin(), parts.end(), [](const Part& p) { return !p.columns.empty(); });
    if (allPlaced && !spread) break;
    for (size_t p = 0; p < parts.size(); ++p) {
      if (!parts[p].columns.empty() && !allPlaced) continue;
      for (int column : kMelodicColumns) {
        if (std::find(parts[p].columns.begin(), parts[p].columns.end(), column) != parts[p].columns.end()) continue;
        // A further column only where no part plays yet: shared, it would
        // take rows from the part whose only column it is.
        if (allPlaced && partsIn[static_cast<size_t>(column)] != 0) continue;
        const int64_t g = gain(p, column);
        bool better = !best || g > bestGain;
        if (best && g == bestGain) {
          const int sharing = partsIn[static_cast<size_t>(column)], bestSharing = partsIn[static_cast<size_t>(bestColumn)];
          better = sharing != bestSharing ? sharing < bestSharing : parts[p].notes > parts[*best].notes;
        }
        if (better) {
          best = p;
          bestColumn = column;
          bestGain = g;
        }
      }
    }
    if (!best || (allPlaced && bestGain == 0)) break;
    give(*best, bestColumn);
    ++partsIn[static_cast<size_t>(bestColumn)];
  }
}

void SuggestMappingFor(FrontEnd& frontEnd, ChannelAssignment& boxes) {
  const std::string midiPath = frontEnd.FieldText(Field::MidiPath);
  const ReadResult read = ReadMidiFile(midiPath);
  if (const std::optional<Message> message = ReadMessage(read, midiPath)) frontEnd.ShowMessage(*message);
  if (!read.HasSong()) return;
  const std::optional<Grid> grid = ReadGrid(read.song, frontEnd);
  if (!grid) return;
  SuggestMapping(read.song, *grid, frontEnd.IsOptionOn(Option::SpreadChords), boxes);
}

}  // namespace tonvert
