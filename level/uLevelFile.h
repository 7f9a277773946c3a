// The level file's 80-byte record, as plain data, and its byte layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kRecordSize = 80;

struct TLevelRecord {
  int32_t X = 0, Y = 0;
  int32_t Size1 = 0, Size2 = 0;  // rectangle width and height, or the radius twice
  int32_t DX = 0, DY = 0, W = 0, H = 0;
  int32_t Angle = 0;
  int32_t Look = 0;
  int32_t IndexA = 0, IndexB = 0;  // ropes: indices of the tied objects
  int32_t OffAx = 0, OffAy = 0, OffBx = 0, OffBy = 0;
  std::string ShapeTag;  // "RECT", "CIRC" or "ROPE"; at most 4 characters
  std::string KindTag;   // "MAPOBJ", "LAZBOX", "BOOMBA" or "ROPE"; at most 6 characters
  bool Interactive = false;
  bool Dynamic = false;
  uint8_t Color = 0;
};

void EncodeRecord(const TLevelRecord& record, uint8_t out[kRecordSize]);
TLevelRecord DecodeRecord(const uint8_t in[kRecordSize]);

// A game path ("data\level\1001.map") as the platform spells it.
std::string NativePath(const std::string& path);
