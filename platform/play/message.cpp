#include <cmath>
#include <cstring>

#include "platform/error.h"
#include "platform/play/play.h"

namespace platform {

void DirectPlayMessage::WriteString(const std::string& value) {
  if (value.size() > kMaxString) throw Error("message text too long");
  fields_.push_back({Type::String, value});
}

void DirectPlayMessage::WriteLong(int32_t value) {
  Field f{Type::Long, {}};
  f.number = value;
  fields_.push_back(f);
}

void DirectPlayMessage::WriteSingle(float value) {
  Field f{Type::Single, {}};
  f.single = value;
  fields_.push_back(f);
}

const DirectPlayMessage::Field& DirectPlayMessage::Next(Type type) {
  if (read_ >= fields_.size()) throw Error("read past the end of a message");
  const Field& f = fields_[read_];
  if (f.type != type) throw Error("message field of another type");
  ++read_;
  return f;
}

std::string DirectPlayMessage::ReadString() {
  return Next(Type::String).text;
}
int32_t DirectPlayMessage::ReadLong() {
  return Next(Type::Long).number;
}
float DirectPlayMessage::ReadSingle() {
  return Next(Type::Single).single;
}

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t& at) {
  if (at > in.size() || in.size() - at < 4) throw Error("truncated message");
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(in[at + i]) << (8 * i);
  at += 4;
  return v;
}

}  // namespace

// Wire form: per field a type byte, then 4 bytes (little-endian) for a Long
// or Single, or a 4-byte length and the bytes of a String.
std::vector<uint8_t> DirectPlayMessage::Encode() const {
  std::vector<uint8_t> out;
  for (const Field& f : fields_) {
    out.push_back(static_cast<uint8_t>(f.type));
    switch (f.type) {
      case Type::String:
        Put32(out, static_cast<uint32_t>(f.text.size()));
        out.insert(out.end(), f.text.begin(), f.text.end());
        break;
      case Type::Long:
        Put32(out, static_cast<uint32_t>(f.number));
        break;
      case Type::Single: {
        uint32_t bits;
        std::memcpy(&bits, &f.single, 4);
        Put32(out, bits);
        break;
      }
    }
  }
  return out;
}

DirectPlayMessage DirectPlayMessage::Decode(const std::vector<uint8_t>& bytes) {
  DirectPlayMessage msg;
  size_t at = 0;
  while (at < bytes.size()) {
    uint8_t type = bytes[at++];
    if (type == static_cast<uint8_t>(Type::String)) {
      uint32_t n = Get32(bytes, at);
      if (n > kMaxString || n > bytes.size() - at) throw Error("bad text in a message");
      msg.WriteString(std::string(bytes.begin() + at, bytes.begin() + at + n));
      at += n;
    } else if (type == static_cast<uint8_t>(Type::Long)) {
      msg.WriteLong(static_cast<int32_t>(Get32(bytes, at)));
    } else if (type == static_cast<uint8_t>(Type::Single)) {
      uint32_t bits = Get32(bytes, at);
      float f;
      std::memcpy(&f, &bits, 4);
      msg.WriteSingle(f);
    } else {
      throw Error("unknown field type in a message");
    }
  }
  return msg;
}

}  // namespace platform
