#include "midi/byte_reader.h"

#include <algorithm>

#include "common/file_io.h"

namespace tonvert {

namespace {
constexpr size_t kWindowSize = 64 * 1024;
}

ByteReader::ByteReader(const uint8_t* data, size_t size)
    : data_(data), size_(size), buffer_(data), bufferEnd_(size) {}

ByteReader::ByteReader(ReadableFile& file) : file_(&file), size_(file.size()) {}

uint8_t ByteReader::ByteAt(uint64_t pos) {
  if (data_ != nullptr) return data_[pos];
  if (pos < bufferStart_ || pos >= bufferEnd_) {
    window_.resize(kWindowSize);
    window_.resize(file_->ReadAt(pos, window_.data(), kWindowSize));
    buffer_ = window_.data();
    bufferStart_ = pos;
    // Never past the size the file had when opened: a file that grew meanwhile
    // must not lend bytes past the end the reader checks against.
    bufferEnd_ = std::min<uint64_t>(pos + window_.size(), size_);
    // A file that shrank under us reads as ending here.
    if (window_.empty()) return 0;
  }
  return buffer_[pos - bufferStart_];
}

uint8_t ByteReader::NextSlow() {
  if (pos_ >= size_) {
    pastEnd_ = true;
    return 0;
  }
  return ByteAt(pos_++);
}

void ByteReader::Skip(uint64_t n) {
  if (n > size_ - (pos_ < size_ ? pos_ : size_)) {
    pastEnd_ = true;
    pos_ = size_;
    return;
  }
  pos_ += n;
}

uint32_t ByteReader::BigEndian(int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = (value << 8) | Next();
  return value;
}

std::string ByteReader::Text(int64_t n) {
  std::string text;
  if (n <= 0) return text;
  // Never reserve more than the file can still give: a length of 2^28 in a
  // broken file must not allocate 256 MB.
  const uint64_t available = pos_ < size_ ? size_ - pos_ : 0;
  const uint64_t wanted = static_cast<uint64_t>(n);
  const uint64_t readable = wanted < available ? wanted : available;
  text.reserve(static_cast<size_t>(readable));
  for (uint64_t i = 0; i < readable; ++i) {
    const uint8_t b = Next();
    if (b != 0) text += static_cast<char>(b);
  }
  if (wanted > readable) Skip(wanted - readable);
  return text;
}

}  // namespace tonvert
