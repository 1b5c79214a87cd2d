// tonvert-cli: the window's conversion from the command line.
#include <getopt.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <tuple>

#include "cli/cli_front_end.h"
#include "common/version.h"
#include "common/file_io.h"
#include "common/library_files.h"
#include "convert/conversion.h"

namespace {

constexpr const char* kUsage =
    "usage: tonvert-cli [OPTIONS] MIDI-FILE\n"
    "Try 'tonvert-cli --help' for more information.\n";

constexpr const char* kHelp =
    "usage: tonvert-cli [OPTIONS] MIDI-FILE\n"
    "Converts a Standard MIDI File into a FamiTracker text export (2A03 + MMC5).\n"
    "\n"
    "  -o, --output PATH       output file; \"-\" writes to standard output\n"
    "                          (default: the MIDI file's name with .txt, beside it)\n"
    "  -r, --rows TEXT         rows per pattern (default 64)\n"
    "  -t, --ticks TEXT        ticks per 1/16 note, in thirds of a MIDI tick (default 36);\n"
    "                          \"auto\" derives it from the file's ticks per quarter note\n"
    "  -m, --mapper TEXT       channel mapper: 112 characters \"0\"/\"1\", tracker channel\n"
    "                          by tracker channel, 16 MIDI channels each (default: built in)\n"
    "  -i, --instruments PATH  instrument definitions (default: ./instruments.ini if present)\n"
    "  -d, --drums PATH        drum definitions (default: ./drums.ini if present)\n"
    "  -q, --quiet             no progress lines\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "\n"
    "Exit status: 0 written, 1 error, 2 usage error.\n";

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "tonvert-cli: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
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

bool Readable(const std::string& path) { return tonvert::ReadableFile::OpenRegular(path) != nullptr; }

}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGPIPE
  // A closed pipe on "-o -" is a write error to report, not a silent death.
  std::signal(SIGPIPE, SIG_IGN);
#endif

  std::string output, rows = "64", ticks = "36", mapper, instruments, drums;
  bool hasOutput = false, hasMapper = false, hasInstruments = false, hasDrums = false, quiet = false;
  enum { kVersion = 256 };
  static const option kOptions[] = {
      {"output", required_argument, nullptr, 'o'}, {"rows", required_argument, nullptr, 'r'},
      {"ticks", required_argument, nullptr, 't'},  {"mapper", required_argument, nullptr, 'm'},
      {"instruments", required_argument, nullptr, 'i'}, {"drums", required_argument, nullptr, 'd'},
      {"quiet", no_argument, nullptr, 'q'},        {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion}, {nullptr, 0, nullptr, 0}};
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
      case ':': {
        const std::string problem = "option needs a value: " + std::string(argv[optind - 1]);
        return Usage(problem.c_str());
      }
      default: {
        const std::string problem =
            optopt != 0 ? "unknown option: -" + std::string(1, static_cast<char>(optopt))
                        : "unknown option: " + std::string(argv[optind - 1]);
        return Usage(problem.c_str());
      }
    }
  }
  if (optind == argc) return Usage("missing MIDI-FILE");
  if (optind + 1 < argc) return Usage("only one MIDI-FILE");
  const std::string midiPath = argv[optind];
  if (hasOutput && output.empty()) return Usage("the output path is empty");
  if (!hasOutput) output = DefaultOutputPath(midiPath);

  tonvert::CliFrontEnd frontEnd(midiPath, rows, ticks, output, quiet);
  tonvert::RunOptions options;
  options.dashWritesStdout = true;
  for (auto [named, path, target, stage] :
       {std::tuple{hasInstruments, instruments, &options.instrumentsPath, tonvert::Stage::ReadingInstruments},
        std::tuple{hasDrums, drums, &options.drumsPath, tonvert::Stage::ReadingDrums}}) {
    if (!named) {
      const tonvert::DefinitionFile found = tonvert::FindDefinitionFile(*target);
      *target = found.path;
      if (found.fromLibrary) frontEnd.AddLineAfter(stage, "Using library file " + found.path);
      continue;
    }
    // An empty name asks for no definitions at all.
    if (!path.empty() && !Readable(path)) {
      std::fprintf(stderr, "error: Cannot read %s\n", path.c_str());
      return 1;
    }
    *target = path;
  }

  if (hasMapper) tonvert::ApplyMapperText(frontEnd.mapper(), mapper);
  const tonvert::RunOutcome outcome = tonvert::RunConversion(frontEnd, options);
  if (outcome != tonvert::RunOutcome::Written) return 1;
  if (output != "-") std::printf("%s\n", output.c_str());
  return 0;
}
