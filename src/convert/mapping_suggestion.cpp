#include "convert/mapping_suggestion.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "convert/timing.h"

namespace tonvert {

namespace {

// The notes the mapping model may look at, in all, while it tries mappings.
constexpr int64_t kModelNoteVisits = 3'000'000;

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

// A quick stand-in for placement, to compare mappings: the melodic notes a
// run could keep, in placing order, grouped by row and MIDI channel.
struct ModelNote {
  int64_t row, end, length;
  uint32_t index;
  uint8_t channel, key;
};

class PlacementModel {
 public:
  PlacementModel(std::vector<ModelNote> notes, bool spread, bool arpeggios)
      : notes_(std::move(notes)), spread_(spread), arpeggios_(arpeggios) {
    std::sort(notes_.begin(), notes_.end(), [](const ModelNote& a, const ModelNote& b) {
      if (a.row != b.row) return a.row < b.row;
      if (a.channel != b.channel) return a.channel < b.channel;
      if (a.key != b.key) return a.key > b.key;
      return a.index < b.index;
    });
  }
  size_t size() const { return notes_.size(); }

  // The notes kept with each MIDI channel on the columns of its mask (bit c for
  // tracker channel c): placed, or in an arpeggio of its chord's kept note.
  int64_t Kept(const std::array<uint32_t, kMidiChannels>& masks) const {
    std::array<int64_t, kTrackerChannelCount + 1> takenAt, soundsUntil;
    takenAt.fill(-1);
    soundsUntil.fill(-1);
    int64_t kept = 0;
    std::vector<const ModelNote*> lost;
    for (size_t g = 0; g < notes_.size();) {
      const ModelNote& head = notes_[g];
      size_t end = g;
      while (end < notes_.size() && notes_[end].row == head.row && notes_[end].channel == head.channel) ++end;
      const uint32_t mask = masks[head.channel];
      if (mask == 0) {
        g = end;
        continue;
      }
      const int leftmost = LowestBit(mask);
      int leftColumn = kTrackerChannelCount + 1, leftKey = -1;
      lost.clear();
      for (size_t i = g; i < end; ++i) {
        const ModelNote& note = notes_[i];
        int column = 0, firstEmpty = 0;
        // Without spread a MIDI channel plays in its leftmost column only.
        for (int c = leftmost; c <= (spread_ ? kTrackerChannelCount : leftmost); ++c) {
          if (!(mask >> c & 1) || takenAt[c] == note.row) continue;
          if (soundsUntil[c] <= note.row) {
            column = c;
            break;
          }
          if (firstEmpty == 0) firstEmpty = c;
        }
        if (column == 0) column = firstEmpty;
        if (column == 0) {
          lost.push_back(&note);
          continue;
        }
        takenAt[column] = note.row;
        soundsUntil[column] = note.end;
        ++kept;
        if (column < leftColumn) {
          leftColumn = column;
          leftKey = note.key;
        }
      }
      if (arpeggios_ && leftKey >= 0 && !lost.empty() && PlaysArpeggios(leftColumn)) kept += ArpeggioNotes(lost, leftKey);
      g = end;
    }
    return kept;
  }

 private:
  static int LowestBit(uint32_t mask) {
    int c = 0;
    while (!(mask >> c & 1)) ++c;
    return c;
  }
  static bool PlaysArpeggios(int c) { return TrackerChannel(c).pulse || c == kTriangleChannel; }
  static int StepAbove(int semitones) {
    while (semitones < 1) semitones += 12;
    while (semitones > 15) semitones -= 12;
    return semitones;
  }
  // As the arpeggio pass counts them: unisons, and the lost notes on the two
  // steps of those that sound longest.
  static int64_t ArpeggioNotes(std::vector<const ModelNote*>& lost, int key) {
    if (lost.size() <= 2) return static_cast<int64_t>(lost.size());
    std::sort(lost.begin(), lost.end(), [](const ModelNote* a, const ModelNote* b) {
      return a->length != b->length ? a->length > b->length : a->index < b->index;
    });
    int x = 0, y = 0;
    int64_t count = 0;
    for (const ModelNote* n : lost) {
      if (n->key == key) continue;
      const int step = StepAbove(n->key - key);
      if (x == 0) x = step;
      else if (y == 0 && step != x) y = step;
    }
    for (const ModelNote* n : lost)
      if (n->key == key || StepAbove(n->key - key) == x || StepAbove(n->key - key) == y) ++count;
    return count;
  }

  std::vector<ModelNote> notes_;
  bool spread_, arpeggios_;
};

}  // namespace

void SuggestMapping(const Song& song, const Grid& grid, bool spread, bool arpeggios, ChannelAssignment& boxes) {
  ClearMapper(boxes);
  boxes.SetChecked(MapperBoxIndex(kNoiseChannel, kDrumChannel), true);

  // The notes a run could keep: sounding, of some length, within 128 frames.
  const int64_t songRows = int64_t{kMaxFrames} * grid.rowsPerPattern;
  std::array<std::vector<int64_t>, kMidiChannels> starts;
  std::array<int64_t, kMidiChannels> keySums{};
  std::vector<ModelNote> modelNotes;
  for (size_t i = 0; i < song.notes.size(); ++i) {
    const Note& note = song.notes[i];
    if (note.length == 0 || note.velocity < 8 || note.channel == kDrumChannel) continue;
    const int64_t row = RowAt(note.start, grid);
    if (row >= songRows) continue;
    // A note shorter than a row still sounds for one.
    const int64_t end = note.closed ? std::max(RowAt(note.end, grid), row + 1) : INT64_MAX;
    modelNotes.push_back({row, end, note.length, static_cast<uint32_t>(i), static_cast<uint8_t>(note.channel),
                          static_cast<uint8_t>(note.key)});
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

  // The counts above see only where notes start. Mend the choice with moves
  // that keep more notes when placed: a part to another column, two parts
  // swapped, a column more or less for a chord part. The bass stays on the
  // Triangle. The work is bounded by the song's size, not by the clock, so the
  // choice stays the same from run to run.
  const PlacementModel model(std::move(modelNotes), spread, arpeggios);
  std::array<uint32_t, kMidiChannels> masks{};
  for (const Part& part : parts)
    for (int column : part.columns) masks[static_cast<size_t>(part.channel)] |= 1u << column;
  int64_t evaluations = kModelNoteVisits / std::max<int64_t>(1, static_cast<int64_t>(model.size()));
  using Masks = std::array<uint32_t, kMidiChannels>;
  const auto climb = [&](Masks& masks, int64_t& most) {
    for (bool improved = true; improved && evaluations > 0;) {
      improved = false;
      std::array<uint32_t, kMidiChannels> bestMasks = masks;
      const auto consider = [&](const std::array<uint32_t, kMidiChannels>& tried) {
        if (evaluations-- <= 0) return;
        const int64_t k = model.Kept(tried);
        if (k > most) {
          most = k;
          bestMasks = tried;
          improved = true;
        }
      };
      for (size_t p = 0; p < parts.size(); ++p) {
        if (bass && p == *bass) continue;
        const size_t m = static_cast<size_t>(parts[p].channel);
        const uint32_t own = masks[m];
        std::array<uint32_t, kMidiChannels> tried = masks;
        for (int column : kMelodicColumns) {
          const uint32_t bit = 1u << column;
          if (own & bit) {
            if (own != bit) {
              tried[m] = own & ~bit;
              consider(tried);
            }
            continue;
          }
          for (int other : kMelodicColumns)
            if (own & 1u << other) {
              tried[m] = (own & ~(1u << other)) | bit;
              consider(tried);
            }
          if (spread) {
            tried[m] = own | bit;
            consider(tried);
          }
        }
        tried[m] = own;
        for (size_t q = p + 1; q < parts.size(); ++q) {
          const size_t n = static_cast<size_t>(parts[q].channel);
          if ((bass && q == *bass) || masks[n] == own) continue;
          std::swap(tried[m], tried[n]);
          consider(tried);
          std::swap(tried[m], tried[n]);
        }
      }
      masks = bestMasks;
    }
  };
  int64_t most = model.Kept(masks);
  climb(masks, most);
  // A local best need not be the best: start again from each part moved whole
  // to each column, and keep what keeps more.
  for (size_t p = 0; p < parts.size() && evaluations > 0; ++p) {
    if (bass && p == *bass) continue;
    for (int column : kMelodicColumns) {
      Masks tried = masks;
      const size_t m = static_cast<size_t>(parts[p].channel);
      if (tried[m] == 1u << column) continue;
      tried[m] = 1u << column;
      int64_t k = model.Kept(tried);
      climb(tried, k);
      if (k > most) {
        most = k;
        masks = tried;
      }
    }
  }
  for (int m = 0; m < kMidiChannels; ++m)
    for (int column : kMelodicColumns)
      boxes.SetChecked(MapperBoxIndex(column, m), (masks[static_cast<size_t>(m)] >> column & 1) != 0);
}

void SuggestMappingFor(FrontEnd& frontEnd, ChannelAssignment& boxes) {
  const std::string midiPath = frontEnd.FieldText(Field::MidiPath);
  const ReadResult read = ReadMidiFile(midiPath);
  if (const std::optional<Message> message = ReadMessage(read, midiPath)) frontEnd.ShowMessage(*message);
  if (!read.HasSong()) return;
  const std::optional<Grid> grid = ReadGrid(read.song, frontEnd);
  if (!grid) return;
  SuggestMapping(read.song, *grid, frontEnd.IsOptionOn(Option::SpreadChords), frontEnd.IsOptionOn(Option::Arpeggios),
                 boxes);
}

}  // namespace tonvert
