// Reading and writing level files for TMap: the parts the map's Save and Load
// share with the tools and the tests.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class TMap;

// Objects bigger than this many pixels, and coordinates further out than
// kMaxLevelCoord, are refused when a level is read.
constexpr int32_t kMaxLevelSize = 4096;
constexpr int32_t kMaxLevelCoord = 1 << 20;
// A sprite or shape extent a level can hold: above 8 pixels and at most kMaxLevelSize.
inline bool StorableSize(int64_t v) { return v > 8 && v <= kMaxLevelSize; }
// Files above this size are not read at all.
constexpr size_t kMaxLevelFileBytes = 16u << 20;

// Replaces the map's level by the records in bytes (New first). Bad records
// are skipped with one trace line each; an incomplete last record is ignored.
void LoadLevelBytes(TMap& map, const std::vector<uint8_t>& bytes);

// The file name as Save and Load use it: cut to 255 bytes, platform separators.
std::string LevelPath(const std::string& fileName);

// Writes bytes to path through a temporary file in the same folder, flushed
// to disk and renamed over path; creates the folder when it is missing. On
// failure path is untouched, the temporary file removed, and *error holds the
// system's reason.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
// Reads the whole file; on failure *error holds the system's reason.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error);

// The system calls the writer goes through, so tests can make a disk fail.
struct TLevelFileOps {
  ssize_t (*Write)(int fd, const void* data, size_t size);
  int (*Fsync)(int fd);
  int (*Rename)(const char* from, const char* to);
};
extern TLevelFileOps LevelFileOps;
// The real calls, for restoring LevelFileOps.
TLevelFileOps SystemLevelFileOps();
