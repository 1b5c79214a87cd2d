// tonvert-cli: the window's conversion from the command line.
#include <getopt.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "cli/cli_front_end.h"
#include "common/version.h"
#include "common/file_io.h"
#include "common/library_files.h"
#include "common/text.h"
#include "convert/conversion.h"

namespace {

using tonvert::Option;

constexpr const char* kHelp =
    "usage: tonvert-cli [OPTIONS] MIDI-FILE...\n"
    "Converts Standard MIDI Files into FamiTracker text exports (2A03 + MMC5).\n"
    "\n"
    "  -o, --output PATH       output file, with one MIDI-FILE only; \"-\" writes to\n"
    "                          standard output (default: each MIDI file's name with\n"
    "                          .txt, beside it)\n"
    "  -r, --rows N            rows per pattern, 1-256 (default 64)\n"
    "  -t, --ticks N|auto|fit  ticks per 1/16 note, in thirds of a MIDI tick, 1-1000000;\n"
    "                          \"auto\" (the default) derives it from the file's ticks\n"
    "                          per quarter note; \"fit\" chooses 2-24 rows per quarter\n"
    "                          note so that the notes start on rows\n"
    "      --tempo-changes     follow the song's tempo changes with Fxx effects\n"
    "      --nearest-row       place notes on the nearest row, not the one before\n"
    "  -m, --mapper MAP        channel mapper (default: built in), either readable,\n"
    "                          e.g. pulse1=1,pulse2=2+5,triangle=3,noise=10, with the\n"
    "                          tracker channels pulse1, pulse2, triangle, noise, dpcm,\n"
    "                          mmc5a, mmc5b and MIDI channels 1-16 joined by \"+\"\n"
    "                          (a channel not named gets none); or exactly 112\n"
    "                          characters \"0\"/\"1\", 16 MIDI channels for each tracker\n"
    "                          channel in turn; or \"auto\": chosen for each file to\n"
    "                          keep the most notes, printed as \"Mapper: ...\"\n"
    "      --spread            a MIDI channel checked in several tracker channels\n"
    "                          plays up to that many notes at once\n"
    "      --arpeggio          chord notes that find no tracker channel become 0xy\n"
    "                          arpeggios on the pulse and triangle channels\n"
    "      --transpose NAME=N  shift the notes placed on tracker channel NAME by N\n"
    "                          semitones, -48 to +48 (repeatable)\n"
    "      --summary           after the run, what was kept, channel by channel (on\n"
    "                          standard output; on standard error with -o -)\n"
    "  -i, --instruments PATH  instrument definitions (default: ./instruments.ini, else\n"
    "                          the installed library's; '' reads none)\n"
    "  -d, --drums PATH        drum definitions (default: ./drums.ini, else the\n"
    "                          installed library's; '' reads none)\n"
    "  -q, --quiet             no progress lines\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "\n"
    "Numbers are decimal digits only, blanks around them allowed. With several\n"
    "MIDI files, each file's lines on standard error follow a line \"MIDI-FILE:\".\n"
    "Exit status: 0 written, 1 error (in any of the files), 2 usage error.\n";

// Usage errors are one line: what is wrong and what is expected.
int Usage(const std::string& problem) {
  std::fprintf(stderr, "tonvert-cli: %s\n", problem.c_str());
  return 2;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Decimal digits only, no sign, blanks around them allowed; nullopt outside low-high.
std::optional<int64_t> WholeNumber(std::string_view text, int64_t low, int64_t high) {
  text = tonvert::TrimBlanksAndTabs(text);
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = std::min<int64_t>(value * 10 + (c - '0'), high + 1);  // no overflow on long texts
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

constexpr int64_t kMaxTicks = 1000000;
// The ticks texts that are words, not numbers; the core reads each in any
// letter case.
constexpr std::string_view kTicksWords[] = {"auto", "fit"};

// The ticks as the core reads them ("auto" or decimal digits), or nullopt.
std::optional<std::string> TicksText(std::string_view text) {
  for (std::string_view word : kTicksWords)
    if (tonvert::EqualsIgnoreAsciiCase(tonvert::TrimBlanksAndTabs(text), word)) return std::string(word);
  if (const auto n = WholeNumber(text, 1, kMaxTicks)) return std::to_string(*n);
  return std::nullopt;
}

std::string TicksExpected() {
  std::string expected = "a whole number from 1 to " + std::to_string(kMaxTicks);
  const size_t last = std::size(kTicksWords) - 1;
  for (size_t i = 0; i < last; ++i) expected += ", " + std::string(kTicksWords[i]);
  return expected + " or " + std::string(kTicksWords[last]);
}

// The mapper's 112 "0"/"1" from -m (bits or the readable form), or a one-line problem.
std::optional<std::string> MapperBits(const std::string& text, std::string& problem) {
  constexpr size_t kBits = 16 * 7;
  if (text.find('=') != std::string::npos) {
    tonvert::AssignmentTable table;
    if (!tonvert::ApplyReadableMapperText(table, text, problem)) {
      problem = "bad mapper (" + problem + "): expected NAME=CHANNELS items joined by \",\", NAME one of pulse1, "
                "pulse2, triangle, noise, dpcm, mmc5a, mmc5b, each once, CHANNELS MIDI channels 1-16 joined by \"+\"";
      return std::nullopt;
    }
    return tonvert::MapperText(table);
  }
  const std::string expected = ": expected auto, NAME=CHANNELS items such as pulse1=1,pulse2=2+5, or exactly "
                               "112 characters 0 or 1 (16 MIDI channels for each of the 7 tracker channels)";
  const size_t bad = text.find_first_not_of("01");
  if (bad != std::string::npos) {
    problem = "bad mapper (character " + std::to_string(bad + 1) + " is " + Quoted(text.substr(bad, 1)) + ")" +
              expected;
    return std::nullopt;
  }
  if (text.size() != kBits) {
    problem = "bad mapper (" + std::to_string(text.size()) + " characters)" + expected;
    return std::nullopt;
  }
  return text;
}

// "triangle=+12" into `transpose`; false for anything else.
bool ReadTranspose(const std::string& text, std::array<int, tonvert::kTrackerChannelCount>& transpose) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return false;
  const std::string_view name = tonvert::TrimBlanksAndTabs(std::string_view(text).substr(0, equals));
  std::string_view number = tonvert::TrimBlanksAndTabs(std::string_view(text).substr(equals + 1));
  const bool negative = !number.empty() && number[0] == '-';
  if (!number.empty() && (number[0] == '-' || number[0] == '+')) number.remove_prefix(1);
  const auto semitones = WholeNumber(number, 0, 48);
  if (!semitones || number.empty() || number[0] == ' ' || number[0] == '\t') return false;
  for (int c = 1; c <= tonvert::kTrackerChannelCount; ++c) {
    if (!tonvert::EqualsIgnoreAsciiCase(name, tonvert::TrackerChannel(c).name)) continue;
    transpose[static_cast<size_t>(c - 1)] = static_cast<int>(negative ? -*semitones : *semitones);
    return true;
  }
  return false;
}

// "a/song.mid" -> "a/song.txt", "dir.v2/song" -> "dir.v2/song.txt".
std::string DefaultOutputPath(const std::string& midiPath) {
#ifdef _WIN32
  // Either slash separates folders there, and "c:song" names a drive.
  const size_t slash = midiPath.find_last_of("/\\:");
#else
  const size_t slash = midiPath.find_last_of('/');
#endif
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = midiPath.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return midiPath + ".txt";
  return midiPath.substr(0, dot + 1) + "txt";
}

// Where a path lands, so that "a.txt" and "./a.txt" count as one file.
std::string PlaceOf(const std::string& path) {
#ifdef _WIN32
  char* full = _fullpath(nullptr, path.c_str(), 0);
  std::string place = full != nullptr ? full : path;
  std::free(full);
  place = tonvert::AsciiUpper(place);  // the file system ignores case
  return place;
#else
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char* folder = realpath(tonvert::FolderOf(path).c_str(), nullptr);
  const std::string place = folder != nullptr ? std::string(folder) + "/" + name : path;
  std::free(folder);
  return place;
#endif
}

// The usage problem of several MIDI files whose outputs would collide, or "".
std::string OutputClash(const std::vector<std::string>& files, const std::vector<std::string>& outputs) {
  std::map<std::string, size_t> inputAt, outputAt;
  for (size_t i = 0; i < files.size(); ++i) inputAt.emplace(PlaceOf(files[i]), i);
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string place = PlaceOf(outputs[i]);
    const auto [earlier, isNew] = outputAt.emplace(place, i);
    if (!isNew)
      return files[earlier->second] + " and " + files[i] + " would both be written to " + outputs[i] +
             ": convert them one at a time, with -o";
    const auto input = inputAt.find(place);
    if (input != inputAt.end() && input->second != i)
      return files[i] + " would be written over the MIDI file " + files[input->second] +
             ": convert them one at a time, with -o";
  }
  return "";
}

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGPIPE
  // A closed pipe on "-o -" is a write error to report, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif

  std::string output, rows = std::to_string(tonvert::kDefaultRowsPerPattern), ticks = "auto", mapper, instruments,
      drums;
  bool hasOutput = false, hasMapper = false, hasInstruments = false, hasDrums = false, quiet = false;
  bool summary = false;
  std::array<int, tonvert::kTrackerChannelCount> transpose{};
  std::set<Option> runOptions;
  // Long options only.
  enum { kVersion = 256, kTempoChanges, kNearestRow, kSpread, kArpeggio, kSummary, kTranspose };
  static const option kOptions[] = {
      {"output", required_argument, nullptr, 'o'}, {"rows", required_argument, nullptr, 'r'},
      {"ticks", required_argument, nullptr, 't'},  {"mapper", required_argument, nullptr, 'm'},
      {"instruments", required_argument, nullptr, 'i'}, {"drums", required_argument, nullptr, 'd'},
      {"quiet", no_argument, nullptr, 'q'},        {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {"tempo-changes", no_argument, nullptr, kTempoChanges},
      {"nearest-row", no_argument, nullptr, kNearestRow},
      {"spread", no_argument, nullptr, kSpread},
      {"arpeggio", no_argument, nullptr, kArpeggio},
      {"summary", no_argument, nullptr, kSummary},
      {"transpose", required_argument, nullptr, kTranspose},
      {nullptr, 0, nullptr, 0}};
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, argv, ":o:r:t:m:i:d:qh", kOptions, nullptr)) != -1) {
    switch (option) {
      case 'o': output = optarg; hasOutput = true; break;
      case 'r': rows = optarg; break;
      case 't': ticks = optarg; break;
      case 'm': mapper = optarg; hasMapper = true; break;
      case 'i': instruments = optarg; hasInstruments = true; break;
      case 'd': drums = optarg; hasDrums = true; break;
      case 'q': quiet = true; break;
      case 'h': std::fputs(kHelp, stdout); return 0;
      case kVersion: std::puts("tonvert-cli " TONVERT_VERSION); return 0;
      case kTempoChanges: runOptions.insert(Option::TempoChanges); break;
      case kNearestRow: runOptions.insert(Option::NearestRow); break;
      case kSpread: runOptions.insert(Option::SpreadChords); break;
      case kArpeggio: runOptions.insert(Option::Arpeggios); break;
      case kSummary: summary = true; break;
      case kTranspose:
        if (!ReadTranspose(optarg, transpose))
          return Usage("bad --transpose " + Quoted(optarg) +
                       ": expected NAME=SEMITONES, NAME one of pulse1, pulse2, triangle, noise, dpcm, mmc5a, mmc5b "
                       "and SEMITONES a whole number from -48 to +48");
        break;
      case ':':
        return Usage("option " + std::string(argv[optind - 1]) + " needs a value (see tonvert-cli --help)");
      default:
        return Usage("unknown option " +
                     (optopt != 0 ? "-" + std::string(1, static_cast<char>(optopt)) : std::string(argv[optind - 1])) +
                     " (see tonvert-cli --help)");
    }
  }

  const std::vector<std::string> files(argv + optind, argv + argc);
  if (files.empty()) return Usage("no MIDI file given: usage is tonvert-cli [OPTIONS] MIDI-FILE...");
  for (const std::string& file : files)
    if (file.empty()) return Usage("a MIDI file name is empty: expected the path of a MIDI file");
  if (hasOutput && output.empty()) return Usage("the output path is empty: expected a path, or - for standard output");
  if (hasOutput && files.size() > 1)
    return Usage("-o with " + std::to_string(files.size()) +
                 " MIDI files: expected one MIDI file, or no -o to write each beside its MIDI file");
  const auto rowsNumber = WholeNumber(rows, 1, 256);
  if (!rowsNumber) return Usage("bad rows per pattern " + Quoted(rows) + ": expected a whole number from 1 to 256");
  const auto ticksText = TicksText(ticks);
  if (!ticksText) return Usage("bad ticks per 1/16 note " + Quoted(ticks) + ": expected " + TicksExpected());
  std::optional<std::string> mapperBits;
  const bool autoMapper = hasMapper && tonvert::EqualsIgnoreAsciiCase(tonvert::TrimBlanksAndTabs(mapper), "auto");
  if (hasMapper && !autoMapper) {
    std::string problem;
    mapperBits = MapperBits(mapper, problem);
    if (!mapperBits) return Usage(problem);
  }
  std::vector<std::string> outputs;
  for (const std::string& file : files) outputs.push_back(hasOutput ? output : DefaultOutputPath(file));
  if (files.size() > 1) {
    const std::string clash = OutputClash(files, outputs);
    if (!clash.empty()) return Usage(clash);
  }

  tonvert::RunOptions options;
  options.dashWritesStdout = true;
  options.transpose = transpose;
  // Definitions named on the command line must be readable; the others come
  // from the current folder or, failing that, the installed library.
  std::vector<std::pair<tonvert::Stage, std::string>> libraryLines;
  for (auto [named, path, target, stage] :
       {std::tuple{hasInstruments, instruments, &options.instrumentsPath, tonvert::Stage::ReadingInstruments},
        std::tuple{hasDrums, drums, &options.drumsPath, tonvert::Stage::ReadingDrums}}) {
    if (!named) {
      const tonvert::DefinitionFile found = tonvert::FindDefinitionFile(*target);
      *target = found.path;
      if (found.fromLibrary) libraryLines.emplace_back(stage, "Using library file " + found.path);
      continue;
    }
    // An empty name asks for no definitions at all.
    std::string whyNot;
    if (!path.empty() && tonvert::ReadableFile::OpenRegular(path, &whyNot) == nullptr) {
      std::fprintf(stderr, "error: Cannot read (%s: %s)\n", path.c_str(), whyNot.c_str());
      return 1;
    }
    *target = path;
  }

  // Each file is a run of its own, as if the window converted them one by one.
  int status = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    tonvert::CliFrontEnd frontEnd(files[i], std::to_string(*rowsNumber), *ticksText, outputs[i], quiet, runOptions,
                                  files.size() > 1 ? files[i] : "");
    if (mapperBits) tonvert::ApplyMapperText(frontEnd.mapper(), *mapperBits);
    for (const auto& [stage, line] : libraryLines) frontEnd.AddLineAfter(stage, line);
    std::string summaryText;
    options.autoMapping = autoMapper ? &frontEnd.mapper() : nullptr;
    options.summary = summary ? &summaryText : nullptr;
    const tonvert::RunOutcome outcome = tonvert::RunConversion(frontEnd, options);
    if (outcome != tonvert::RunOutcome::Written) {
      status = std::max(status, 1);
      continue;
    }
    if (outputs[i] != "-") std::printf("%s\n", outputs[i].c_str());
    // The document itself may be on standard output.
    if (summary) std::fputs(summaryText.c_str(), outputs[i] == "-" ? stderr : stdout);
  }
  return status;
}
