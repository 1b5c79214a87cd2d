#include "conversion_fixture.h"

#include <sstream>

#include "common/text.h"

namespace tonvert::test {

ConversionTest::ConversionTest() {
  ui.fields[Field::MidiPath] = dir / "song.mid";
  ui.fields[Field::OutputPath] = output();
}

RunOutcome ConversionTest::Run(const Bytes& midi) {
  WriteFile(dir / "song.mid", midi);
  WriteFile(dir / "instruments.ini", instrumentsIni);
  WriteFile(dir / "drums.ini", drumsIni);
  options.instrumentsPath = dir / "instruments.ini";
  options.drumsPath = dir / "drums.ini";
  const RunOutcome outcome = RunConversion(ui, options);
  if (outcome == RunOutcome::Written && checkDocument) {
    EXPECT_EQ(FtCheck(output()), 0) << "the tracker would not import this document";
  }
  return outcome;
}

std::string ConversionTest::Cell(int frame, int row, int trackerChannel) const {
  const std::string doc = Document();
  const size_t block = doc.find("PATTERN " + HexByte(static_cast<uint64_t>(frame)) + "\r\n");
  if (block == std::string::npos) return "<no frame>";
  const size_t line = doc.find("ROW " + HexByte(static_cast<uint64_t>(row)) + " : ", block);
  if (line == std::string::npos) return "<no row>";
  const std::string text = doc.substr(line + 9, doc.find("\r\n", line) - line - 9);
  size_t start = 0;
  for (int c = 1; c < trackerChannel; ++c) start = text.find(" : ", start) + 3;
  size_t end = text.find(" : ", start);
  std::string segment = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  while (!segment.empty() && segment.back() == ' ') segment.pop_back();
  return segment;
}

std::string ConversionTest::Note(int frame, int row, int trackerChannel) const {
  return Cell(frame, row, trackerChannel).substr(0, 3);
}

Grid ConversionTest::GridUsed(int division) const {
  FakeFrontEnd copy;
  copy.fields = ui.fields;
  Song song;
  song.division = division;
  const std::optional<Grid> grid = ReadGrid(song, copy);
  return grid ? *grid : Grid{0, 0};
}

int ConversionTest::FrameCount() const {
  const std::string doc = Document();
  int count = 0;
  for (size_t at = doc.find("\r\nPATTERN "); at != std::string::npos; at = doc.find("\r\nPATTERN ", at + 1))
    ++count;
  return count;
}

}  // namespace tonvert::test
