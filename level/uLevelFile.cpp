#include "level/uLevelFile.h"

#include <algorithm>
#include <cstring>

namespace {

void PutInt(uint8_t* out, size_t at, int32_t value) {
  const uint32_t u = static_cast<uint32_t>(value);
  out[at] = static_cast<uint8_t>(u);
  out[at + 1] = static_cast<uint8_t>(u >> 8);
  out[at + 2] = static_cast<uint8_t>(u >> 16);
  out[at + 3] = static_cast<uint8_t>(u >> 24);
}

int32_t GetInt(const uint8_t* in, size_t at) {
  const uint32_t u = static_cast<uint32_t>(in[at]) | static_cast<uint32_t>(in[at + 1]) << 8 |
                     static_cast<uint32_t>(in[at + 2]) << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
  return static_cast<int32_t>(u);
}

// A length byte, then room characters; what does not fit is cut, the rest stays zero.
void PutTag(uint8_t* out, size_t at, size_t room, const std::string& tag) {
  const size_t n = std::min(tag.size(), room);
  out[at] = static_cast<uint8_t>(n);
  std::memcpy(out + at + 1, tag.data(), n);
}

// A length byte above the room is taken as the room, so nothing is read past the tag.
std::string GetTag(const uint8_t* in, size_t at, size_t room) {
  const size_t n = std::min(static_cast<size_t>(in[at]), room);
  return std::string(reinterpret_cast<const char*>(in + at + 1), n);
}

}  // namespace

void EncodeRecord(const TLevelRecord& record, uint8_t out[kRecordSize]) {
  std::memset(out, 0, kRecordSize);
  const int32_t ints[16] = {record.X,     record.Y,     record.Size1,  record.Size2, record.DX,    record.DY,
                            record.W,     record.H,     record.Angle,  record.Look,  record.IndexA, record.IndexB,
                            record.OffAx, record.OffAy, record.OffBx, record.OffBy};
  for (size_t i = 0; i < 16; ++i) PutInt(out, i * 4, ints[i]);
  PutTag(out, 64, 4, record.ShapeTag);
  PutTag(out, 69, 6, record.KindTag);
  out[76] = record.Interactive ? 1 : 0;
  out[77] = record.Dynamic ? 1 : 0;
  out[78] = record.Color;
}

TLevelRecord DecodeRecord(const uint8_t in[kRecordSize]) {
  TLevelRecord r;
  int32_t* ints[16] = {&r.X, &r.Y, &r.Size1, &r.Size2, &r.DX,     &r.DY,     &r.W,     &r.H,
                       &r.Angle, &r.Look, &r.IndexA, &r.IndexB, &r.OffAx, &r.OffAy, &r.OffBx, &r.OffBy};
  for (size_t i = 0; i < 16; ++i) *ints[i] = GetInt(in, i * 4);
  r.ShapeTag = GetTag(in, 64, 4);
  r.KindTag = GetTag(in, 69, 6);
  r.Interactive = in[76] != 0;
  r.Dynamic = in[77] != 0;
  r.Color = in[78];
  return r;
}

std::string NativePath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}
