// Every byte of a MIDI file is read through this one reader: it knows where the
// data ends, gives 0 for any byte at or past the end, and remembers that it did,
// so the caller can tell whether an event was cut by the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tonvert {

class ReadableFile;

class ByteReader {
 public:
  // Reads from memory (tests, fuzzing).
  ByteReader(const uint8_t* data, size_t size);
  // Reads from an open file through a window buffer.
  explicit ByteReader(ReadableFile& file);

  uint64_t size() const { return size_; }
  uint64_t position() const { return pos_; }
  void Seek(uint64_t pos) { pos_ = pos; }
  // Moves n bytes on; counts as reading them (past the end sets the flag).
  void Skip(uint64_t n);

  uint8_t Next() {
    // The bytes at hand (all of them in memory, the window's in a file) are
    // read here; everything else takes the slow way.
    if (pos_ >= bufferStart_ && pos_ < bufferEnd_) return buffer_[pos_++ - bufferStart_];
    return NextSlow();
  }
  uint32_t BigEndian(int bytes);  // 1-4 bytes, most significant first
  // Up to n bytes as text, zero bytes dropped; nothing for n <= 0.
  std::string Text(int64_t n);
  // One variable-length quantity; only its last four 7-bit groups count.
  uint32_t VarLen() {
    uint32_t value = 0;
    uint8_t b;
    do {
      b = Next();
      // Masking keeps the last four groups: earlier ones fall off the top.
      value = ((value << 7) | (b & 0x7Fu)) & 0x0FFFFFFFu;
    } while (b & 0x80u);
    return value;
  }

  bool pastEnd() const { return pastEnd_; }
  void ClearPastEnd() { pastEnd_ = false; }

 private:
  uint8_t NextSlow();
  uint8_t ByteAt(uint64_t pos);

  const uint8_t* data_ = nullptr;  // memory mode
  ReadableFile* file_ = nullptr;   // file mode
  uint64_t size_ = 0;
  uint64_t pos_ = 0;
  bool pastEnd_ = false;
  std::vector<uint8_t> window_;
  const uint8_t* buffer_ = nullptr;  // the data, or the window's bytes
  uint64_t bufferStart_ = 0;         // file position of buffer_[0]
  uint64_t bufferEnd_ = 0;           // file position past the buffer's last byte
};

}  // namespace tonvert
