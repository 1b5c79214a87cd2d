// The conversion core as one table: tests/convert/cases.txt holds the cases,
// each a MIDI file written as text (or a real one), the settings of a run and
// what it must give: the song as read, messages, warnings, cells, documents.
// Every document written must also pass the project's checker, and every run
// must leave the MIDI file alone and an old output file intact unless it wrote.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "convert/conversion.h"
#include "convert/mapping_suggestion.h"
#include "document_check.h"
#include "support/fake_front_end.h"
#include "support/midi_builder.h"
#include "support/temp_dir.h"

namespace tonvert::test {
namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;  // keyword, rest of the line
const std::string kTests = std::string(TONVERT_SOURCE_DIR) + "/tests/";
const std::set<std::string> kChecks = {"outcome", "msg", "warn", "report", "cell", "pitch", "frames", "has", "lacks",
                                       "count", "golden", "statuses", "status", "summary", "automap", "song", "notes",
                                       "nth", "again-after", "cuts", "sweep"};

// "\n", "\r", "\t", "\s" (a space at a line's end), "\xHH"; any other is itself.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
    } else if (s[++i] == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == 'n' ? '\n' : s[i] == 'r' ? '\r' : s[i] == 't' ? '\t' : s[i] == 's' ? ' ' : s[i];
    }
  }
  return out;
}

struct Case {
  std::string name;
  Lines lines;
  std::set<std::string> own;  // its own lines replace those "like" took
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
const std::set<std::string> kSongStarts = {"smf", "track", "bytes", "file"};
const std::set<std::string> kSettings = {"smf", "track", "bytes", "file", "patch", "cut", "rows", "ticks", "options",
                                         "map", "ini", "drums", "defs", "out", "midi", "ini-at", "fifo", "transpose",
                                         "summary-on", "automap-on", "uncheck-at", "unchecked"};
const std::map<std::string, Option> kOptions = {{"tempo", Option::TempoChanges}, {"nearest", Option::NearestRow},
                                                {"spread", Option::SpreadChords}, {"arpeggios", Option::Arpeggios}};

// "== name" starts a case; "like name" takes that case's settings and song.
std::vector<Case> LoadCases() {
  std::vector<Case> cases;
  std::istringstream in(ReadFile(kTests + "convert/cases.txt"));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t space = line.find(' ');
    const std::string key = line.substr(0, space), rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (key == "==") {
      cases.push_back({rest, {}, {}});
    } else if (cases.empty() || (!kSettings.count(key) && !kChecks.count(key) && key != "like")) {
      if (cases.empty()) cases.push_back({"before_the_first_case", {}, {}});
      cases.back().lines.emplace_back("error", "not a keyword: " + line);
    } else if (key == "like") {
      const auto base = std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name == rest; });
      if (base == cases.end()) cases.back().lines.emplace_back("error", "no case " + rest);
      for (size_t i = 0; base != cases.end() && i < base->lines.size(); ++i)
        if (!kChecks.count(base->lines[i].first)) cases.back().lines.push_back(base->lines[i]);
    } else {
      Case& c = cases.back();
      const auto group = [](const std::string& k) { return kSongStarts.count(k) ? std::string("song") : k; };
      if (c.own.insert(group(key)).second) {
        c.lines.erase(std::remove_if(c.lines.begin(), c.lines.end(), [&](const auto& l) {
          return group(l.first) == group(key) || (group(key) == "song" && (l.first == "patch" || l.first == "cut"));
        }), c.lines.end());
      }
      c.lines.emplace_back(key, rest);
    }
  }
  if (cases.size() < 100) cases.push_back({"the_table_read_whole", {{"error", "too few cases in cases.txt"}}, {}});
  return cases;
}

// Worked out left to right from the repeat count i: + - * / % and < (the smaller).
int64_t Eval(const std::string& expr, int64_t i) {
  std::istringstream in(expr);
  int64_t value = 0;
  char op = '+';
  do {
    int64_t x = 0;
    if ((in >> std::ws).peek() == 'i') x = (in.get(), i);
    else in >> x;
    value = op == '+' ? value + x : op == '-' ? value - x : op == '*' ? value * x : op == '/' ? value / x
            : op == '%' ? value % x : std::min(value, x);
  } while (in >> op);
  return value;
}

// "(N: text)" is the text N times over, "{expr}" in it worked out for each
// (in hexadecimal when the expression ends in "x").
std::string Expand(std::string line) {
  for (size_t open = 0; (open = line.find('(', open)) != std::string::npos; ++open) {
    const size_t colon = line.find_first_not_of("0123456789", open + 1), close = line.find(')', open);
    if (colon == open + 1 || line[colon] != ':') continue;
    const std::string body = line.substr(colon + 1, close - colon - 1);
    std::string out;
    for (int i = 0, n = std::stoi(line.substr(open + 1)); i < n; ++i) {
      std::string one = body;
      for (size_t b; (b = one.find('{')) != std::string::npos;) {
        std::string expr = one.substr(b + 1, one.find('}', b) - b - 1);
        const bool hex = expr.back() == 'x';
        if (hex) expr.pop_back();
        std::ostringstream value;
        value << (hex ? std::hex : std::dec) << Eval(expr, i);
        one.replace(b, expr.size() + hex + 2, value.str());
      }
      out += one;
    }
    line.replace(open, close - open + 1, out);
  }
  return line;
}

Bytes HexBytes(std::istream& in) {
  Bytes out;
  for (std::string word; in >> word;) out.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  return out;
}

// Events split by "|": an optional delta time (or "@TICK", the time itself), then on C K V, off C K [V],
// pc C P, tempo US, end, name TEXT, text TEXT or x HEX-BYTES.
Bytes TrackBytes(const std::string& line) {
  Bytes out;
  uint32_t now = 0;
  std::istringstream events(Expand(line));
  for (std::string event; std::getline(events, event, '|');) {
    std::istringstream in(event);
    std::string what;
    if (!(in >> what)) continue;
    if (std::isdigit(static_cast<unsigned char>(what[0])) || what[0] == '@') {
      const auto number = static_cast<uint32_t>(std::stoul(what[0] == '@' ? what.substr(1) : what));
      const uint32_t at = what[0] == '@' ? number : now + number;
      const Bytes delta = VarLen(at - now);
      now = at;
      out.insert(out.end(), delta.begin(), delta.end());
      in >> what;
    }
    Bytes bytes;
    if (what == "x") {
      bytes = HexBytes(in);
    } else if (what == "name" || what == "text") {
      std::string text;
      std::getline(in >> std::ws, text);
      bytes = Concat({{0xFF, static_cast<uint8_t>(what == "name" ? 3 : 1)}, VarLen(static_cast<uint32_t>(text.size())),
                      Bytes(text.begin(), text.end())});
    } else {
      std::vector<uint32_t> a;
      for (uint32_t v; in >> v;) a.push_back(v);
      a.resize(4);
      const auto b = [&](uint32_t v) { return static_cast<uint8_t>(v); };
      if (what == "on") bytes = {b(0x90 | a[0]), b(a[1]), b(a[2])};
      if (what == "off") bytes = {b(0x80 | a[0]), b(a[1]), b(a[2])};
      if (what == "pc") bytes = {b(0xC0 | a[0]), b(a[1])};
      if (what == "tempo") bytes = {0xFF, 0x51, 0x03, b(a[0] >> 16), b(a[0] >> 8), b(a[0])};
      if (what == "end") bytes = {0xFF, 0x2F, 0x00};
      EXPECT_FALSE(bytes.empty()) << "unknown event: " << event;
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

// "smf FORMAT DIVISION [TRACKS]" (the header, counting the tracks unless
// told), "track EVENTS", "bytes HEX", "file NAME" (tests/data/midi), then
// "patch OFFSET HEX" and "cut N" (bytes off the end) on the whole.
Bytes SongBytes(const Lines& lines) {
  Bytes out;
  size_t headerAt = std::string::npos;
  int format = 1, division = 48, tracks = -1, trackLines = 0;
  for (const auto& [key, rest] : lines) {
    std::istringstream in(rest);
    if (key == "smf" && in >> format >> division) headerAt = out.size(), tracks = in >> tracks ? tracks : -1;
    if (key == "track") out = Concat({out, Chunk("MTrk", TrackBytes(rest))}), ++trackLines;
    if (key == "bytes") out = Concat({out, HexBytes(in)});
    if (key == "file") out = ReadBytes(kTests + "data/midi/" + rest);
  }
  if (headerAt != std::string::npos) {
    const Bytes header = Header(format, tracks < 0 ? trackLines : tracks, division);
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(headerAt), header.begin(), header.end());
  }
  for (const auto& [key, rest] : lines) {
    std::istringstream in(rest);
    size_t at = 0;
    if (key == "patch" && in >> at)
      for (uint8_t b : HexBytes(in)) out.at(at++) = b;
    if (key == "cut") out.resize(out.size() - std::stoul(rest));
  }
  return out;
}

std::string Join(const std::vector<std::string>& parts, const std::string& between) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
  return text;
}

std::string NoteText(const Note& n) {
  return std::to_string(n.key) + "/" + std::to_string(n.channel) + " " + std::to_string(n.start / 3) + "-" +
         (n.closed ? std::to_string(n.end / 3) : "open") + " p" + std::to_string(n.program) + " v" +
         std::to_string(n.velocity);
}

std::string SongText(const Song& s) {
  std::string text = std::to_string(s.notes.size()) + " notes end " + std::to_string(s.end / 3) + " bpm " +
                     std::to_string(s.bpm) + " div " + std::to_string(s.division) + " programs";
  for (int32_t p : s.programs) text += " " + std::to_string(p);
  return text + (s.noteLimitReached ? " full" : "");
}

// Runs of statuses that differ only in their number after "#" shown as one.
std::string StatusText(const std::vector<std::string>& statuses) {
  std::string text;
  for (size_t i = 0; i < statuses.size(); ++i) {
    const std::string head = statuses[i].substr(0, statuses[i].find('#') + 1);
    size_t last = i;
    while (head.back() == '#' && last + 1 < statuses.size() && statuses[last + 1].rfind(head, 0) == 0) ++last;
    text += (i ? "|" : "") + statuses[i] + (last > i ? ".." + statuses[last].substr(head.size()) : "");
    i = last;
  }
  return text;
}

// The segment of a tracker channel (1-7) in a ROW line, blanks at its end cut.
std::string CellText(const std::string& doc, int frame, int row, int channel) {
  const size_t block = doc.find("PATTERN " + HexByte(static_cast<uint64_t>(frame)) + "\r\n");
  const size_t line = doc.find("ROW " + HexByte(static_cast<uint64_t>(row)) + " : ", block);
  if (block == std::string::npos || line == std::string::npos) return "<none>";
  std::string text = doc.substr(line + 9, doc.find("\r\n", line) - line - 9);
  for (int c = 1; c < channel; ++c) text = text.substr(text.find(" : ") + 3);
  text = text.substr(0, text.find(" : "));
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

size_t Count(const std::string& doc, const std::string& part) {
  size_t n = 0;
  for (size_t at = doc.find(part); at != std::string::npos; at = doc.find(part, at + 1)) ++n;
  return n;
}

std::string Messages(const FakeFrontEnd& ui) {
  std::string text;
  for (const Message& m : ui.messages) text += m.title + (m.stopsRun ? "/stop: " : ": ") + m.text + "\n";
  return text;
}

struct Outcome {
  RunOutcome outcome = RunOutcome::Stopped;
  FakeFrontEnd ui;
  std::string document, summary, mapping;
};

class CoreCase : public ::testing::TestWithParam<Case> {
 protected:
  // One run with the case's settings; `extra` lines come after them.
  Outcome Convert(const Bytes& midi, const Lines& extra = {}) {
    Lines lines = GetParam().lines;
    lines.insert(lines.end(), extra.begin(), extra.end());
    std::string instruments = "[0]\nMidiInstrument=Lead\nFTInstrumentVar=2\n", drums, midiPath = dir / "song.mid";
    bool ownIni = false, soundMacros = false, checked = true;
    Outcome run;
    RunOptions options;
    options.instrumentsPath = dir / "instruments.ini";
    options.drumsPath = dir / "drums.ini";
    std::string out = dir / "out.txt";
    for (const auto& [key, rest] : lines) {
      std::istringstream in(rest);
      const std::string text = Unescape(rest);
      if (key == "rows") run.ui.fields[Field::Rows] = text;
      if (key == "ticks") run.ui.fields[Field::Ticks] = text;
      if (key == "ini") instruments = (ownIni ? instruments : "") + Unescape(Expand(rest)) + "\n", ownIni = true;
      if (key == "drums") drums += Unescape(Expand(rest)) + "\n";
      if (key == "unchecked") checked = false;
      if (key == "defs") {
        options.instrumentsPath = kTests + "../library/instruments.ini";
        options.drumsPath = kTests + "../library/drums.ini";
        soundMacros = true;  // and its drum keys must be noise pitches
      }
      if (key == "out") out = text.empty() ? "" : dir / text;
      if (key == "midi") midiPath = text.empty() ? text : dir / text;
      if (key == "ini-at") options.instrumentsPath = dir / text;
#ifndef _WIN32
      // No run may wait on a pipe for a writer.
      if (key == "fifo") { EXPECT_TRUE(mkfifo((dir / text).c_str(), 0600) == 0 || errno == EEXIST); }
#endif
      if (key == "summary-on") options.summary = &run.summary;
      if (key == "automap-on") options.autoMapping = &run.ui.mapper;
      for (int& t : options.transpose)
        if (key == "transpose") in >> t;
      if (key == "options") run.ui.options.clear();
      for (std::string word; key == "options" && in >> word;) run.ui.options.insert(kOptions.at(word));
      std::string problem;
      if (key == "map") ClearMapper(run.ui.mapper);
      if (key == "map" && text != "none") {
        EXPECT_TRUE(text == "all" ? (ApplyMapperText(run.ui.mapper, std::string(kMapperBoxCount, '1')), true)
                                  : ApplyReadableMapperText(run.ui.mapper, text, problem)) << problem;
      }
      int tracker = 0, channel = 0;
      std::string status;
      if (key == "uncheck-at" && in >> tracker >> channel && std::getline(in >> std::ws, status))
        run.ui.onStatus = [&ui = run.ui, tracker, channel, status](const std::string& now) {
          if (now == status) ui.mapper.SetChecked(MapperBoxIndex(tracker, channel - 1), false);
        };
    }
    WriteFile(dir / "song.mid", midi);
    WriteFile(dir / "instruments.ini", instruments);
    WriteFile(dir / "drums.ini", drums);
    WriteFile(dir / "plain", "x");
    WriteFile(dir / "out.txt", "old");
    run.ui.fields[Field::MidiPath] = midiPath;
    run.ui.fields[Field::OutputPath] = out;
    if (std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l.first == "automap"; })) {
      AssignmentTable boxes;
      ApplyMapperText(boxes, MapperText(run.ui.mapper));
      SuggestMappingFor(run.ui, boxes);
      run.mapping = ReadableMapperText(boxes);
      return run;
    }
    run.outcome = RunConversion(run.ui, options);
    EXPECT_TRUE(ReadBytes(dir / "song.mid") == midi) << "the MIDI file changed";
    if (run.outcome != RunOutcome::Written) {
      EXPECT_EQ(ReadFile(dir / "out.txt"), "old");
      EXPECT_EQ(run.ui.clipboard, "");
      return run;
    }
    run.document = ReadFile(out);
    EXPECT_EQ(run.ui.clipboard, out);
    // The checker, with the rows of the run's grid and the drum keys defined.
    const ReadResult read = ReadMidiBytes(midi.data(), midi.size());
    FakeFrontEnd fields;
    fields.fields = run.ui.fields;
    check::DocumentExpectations rules;
    rules.soundMacros = soundMacros;
    rules.rowsPerPattern = ReadGrid(read.song, fields)->rowsPerPattern;
    std::istringstream defs(drums);
    for (std::string line; std::getline(defs, line);)
      if (line.rfind("key=", 0) == 0) rules.drumKeys.insert(std::string(TrimBlanksAndTabs(line.substr(4))));
    if (checked) { EXPECT_EQ(check::CheckDocument(run.document, rules), ""); }
    return run;
  }

  void Cuts(const Bytes& midi, size_t readStride, size_t runStride);
  void Sweep(const Bytes& midi);
  TempDir dir;
};


// "cuts READ RUN": every READ-th prefix read, every RUN-th converted; a cut
// file only ever says so (or, without its header, that it is unknown), keeps
// no more than the whole, and any document written passes the checker.
void CoreCase::Cuts(const Bytes& midi, size_t readStride, size_t runStride) {
  const Song whole = ReadMidiBytes(midi.data(), midi.size()).song;
  for (size_t length = 0; length < midi.size(); length += readStride) {
    const ReadResult cut = ReadMidiBytes(midi.data(), length);
    ASSERT_TRUE(cut.HasSong() || length < 8) << length;
    ASSERT_LE(cut.song.notes.size(), whole.notes.size()) << length;
    ASSERT_LE(cut.song.end, whole.end) << length;
  }
  for (size_t length = 0; length < midi.size(); length += runStride) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    const Outcome run = Convert(Bytes(midi.begin(), midi.begin() + static_cast<std::ptrdiff_t>(length)));
    const std::string messages = Messages(run.ui);
    if (length < 8) { ASSERT_EQ(messages.rfind("Error/stop: Unknown format !! : ", 0), 0u) << messages; }
    if (length >= 14) { ASSERT_EQ(run.outcome, RunOutcome::Written) << messages; }
    if (run.outcome == RunOutcome::Written) {
      ASSERT_TRUE(messages.empty() || messages == "Error: Abnormal EndOfFile encountered.\n") << messages;
    }
    for (const RunReport& report : run.ui.reports)
      for (const std::string& w : report.warnings) {
        ASSERT_TRUE(w == "Song cut after 128 frames" || w.rfind("This file has ", 0) == 0) << w;
      }
  }
}

// "sweep": 32 runs over every combination of the chord, timing and transpose
// options, with the plain, full, crowded and suggested mappings and three
// kinds of ticks; each must write a document the checker passes.
void CoreCase::Sweep(const Bytes& midi) {
  const char* const words[] = {"spread", "arpeggios", "tempo", "nearest"};
  const char* const maps[] = {"pulse1=1,pulse2=2,triangle=3,noise=10", "all",
                              "pulse1=1+2+3+4,pulse2=1+2+5+6,triangle=1+3,noise=10+1,dpcm=2,mmc5a=1+7+8+9,"
                              "mmc5b=1+2+11+12+13+14+15+16", "none"};
  for (int i = 0; i < 32; ++i) {
    std::string options;
    for (int bit = 0; bit < 4; ++bit)
      if (i >> bit & 1) options += std::string(" ") + words[bit];
    Lines extra = {{"options", options}, {"map", maps[i % 4]}, {"ticks", i % 3 ? i % 3 == 1 ? "36" : "fit" : "auto"}};
    if (i % 4 == 3) extra.emplace_back("automap-on", "");
    if (i & 16) extra.emplace_back("transpose", "48 -48 48 48 -48 12 -12");
    SCOPED_TRACE("run " + std::to_string(i));
    ASSERT_EQ(Convert(midi, extra).outcome, RunOutcome::Written);
  }
}

TEST_P(CoreCase, Holds) {
  const Lines& lines = GetParam().lines;
  const Bytes midi = SongBytes(lines);
  const ReadResult read = ReadMidiBytes(midi.data(), midi.size());
  WriteFile(dir / "read.mid", midi);
  const ReadResult fromFile = ReadMidiFile(dir / "read.mid");
  EXPECT_EQ(SongText(fromFile.song), SongText(read.song)) << "a file reads like its bytes";
  const Outcome run = Convert(midi);
  std::map<std::string, std::string> lists;  // msg, warn, summary: the whole lists
  for (const auto& [key, rest] : lines) {
    SCOPED_TRACE(key + " " + rest);
    std::istringstream in(Expand(rest));
    const std::string text = Unescape(Expand(rest));
    int frame = 0, row = 0, channel = 0;
    std::string want;
    if (key == "error") { ADD_FAILURE() << rest; }
    if (key == "outcome") {
      EXPECT_EQ(text, run.outcome == RunOutcome::Written ? "written" : run.outcome == RunOutcome::Canceled ? "canceled"
                                                                                                          : "stopped");
    }
    if (key == "msg" || key == "warn" || key == "summary") lists[key] += text + "\n";
    if (key == "report") { EXPECT_EQ(run.ui.reports.empty() ? "" : run.ui.reports[0].text, text); }
    if ((key == "cell" || key == "pitch") && in >> frame >> row >> channel && std::getline(in >> std::ws, want)) {
      const std::string cell = CellText(run.document, frame, row, channel);
      EXPECT_EQ(key == "cell" ? cell : cell.substr(0, 3), Unescape(want));
    }
    if (key == "frames") { EXPECT_EQ(Count(run.document, "\r\nPATTERN "), std::stoul(rest)); }
    if (key == "has") { EXPECT_NE(run.document.find(text), std::string::npos); }
    if (key == "lacks") { EXPECT_EQ(run.document.find(text), std::string::npos); }
    if (key == "count" && in >> frame && std::getline(in >> std::ws, want)) {
      EXPECT_EQ(Count(run.document, Unescape(want)), static_cast<size_t>(frame));
    }
    if (key == "statuses") { EXPECT_EQ(StatusText(run.ui.statuses), text); }
    if (key == "automap") { EXPECT_EQ(run.mapping, text); }
    if (key == "song") { EXPECT_EQ(SongText(read.song), text); }
    if (key == "notes") {
      std::vector<std::string> notes;
      for (const Note& n : read.song.notes) notes.push_back(NoteText(n));
      EXPECT_EQ(Join(notes, ", "), text);
    }
    if (key == "nth" && in >> frame && std::getline(in >> std::ws, want)) {
      EXPECT_EQ(frame < static_cast<int>(read.song.notes.size()) ? NoteText(read.song.notes[static_cast<size_t>(frame)])
                                                                  : "none", want);
    }
    if (key == "golden") {
      const std::string path = kTests + "convert/golden/" + rest;
      // TONVERT_UPDATE_GOLDEN=1 rewrites the file after a deliberate change; read the diff.
      if (std::getenv("TONVERT_UPDATE_GOLDEN") != nullptr) WriteFile(path, run.document);
      EXPECT_TRUE(run.document == ReadFile(path)) << "compare with " << path;
    }
    size_t readStride = 0, runStride = 0;
    if (key == "cuts" && in >> readStride >> runStride) Cuts(midi, readStride, runStride);
    if (key == "sweep") Sweep(midi);
    if (key == "again-after") {  // nothing of another song's run may stay behind
      const auto& cases = LoadCases();
      const auto other = std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name == rest; });
      ASSERT_NE(other, cases.end());
      Convert(SongBytes(other->lines));
      EXPECT_TRUE(Convert(midi).document == run.document);
    }
    if (key == "status") {
      EXPECT_NE(std::find(run.ui.statuses.begin(), run.ui.statuses.end(), text), run.ui.statuses.end());
    }
  }
  EXPECT_EQ(Messages(run.ui), lists["msg"]);
  EXPECT_EQ(run.ui.reports.empty() ? "" : Join(run.ui.reports[0].warnings, "\n") + "\n", lists["warn"]);
  EXPECT_LE(run.ui.reports.size(), 1u);
  if (lists.count("summary")) { EXPECT_EQ(run.summary, lists["summary"]); }
}

// The checker is the oracle here and in the fuzzer: of the edits of a kept
// document in broken_documents.txt it must refuse each "bad" one.
TEST(DocumentCheck, RefusesEachBrokenDocument) {
  const std::string kept = ReadFile(kTests + "convert/golden/two-voices.txt");
  std::istringstream table(ReadFile(kTests + "convert/broken_documents.txt"));
  int cases = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    SCOPED_TRACE(line);
    std::istringstream in(line);
    std::string kind, edits, doc = kept;
    check::DocumentExpectations rules;
    std::getline((in >> kind >> rules.rowsPerPattern).ignore(2), edits);
    for (size_t at = 0, next = 0; next != std::string::npos; at = next + 4) {
      next = edits.find(" && ", at);
      const size_t arrow = edits.find(" => ", at);
      const std::string from = Unescape(edits.substr(at, arrow - at));
      const std::string to = Unescape(edits.substr(arrow + 4, next - arrow - 4));
      ASSERT_NE(doc.find(from), std::string::npos) << from;
      doc.replace(doc.find(from), from.size(), to);
    }
    EXPECT_EQ(check::CheckDocument(doc, rules).empty(), kind == "good") << check::CheckDocument(doc, rules);
    ++cases;
  }
  EXPECT_GT(cases, 30);
}

// Numbered cases: CTest names each by the name PrintTo gives it.
INSTANTIATE_TEST_SUITE_P(Table, CoreCase, ::testing::ValuesIn(LoadCases()));

}  // namespace
}  // namespace tonvert::test
