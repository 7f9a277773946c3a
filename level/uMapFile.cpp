// TMap::Save and TMap::Load: the level as a file of 80-byte records.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "level/uLevelFile.h"
#include "level/uMap.h"
#include "level/uMapFile.h"
#include "level/uMapObj.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "shell/uTrace.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr size_t kMaxFileName = 255;

ssize_t SysWrite(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int SysFsync(int fd) { return ::fsync(fd); }
int SysRename(const char* from, const char* to) { return ::rename(from, to); }

// Float sizes become whole pixels toward zero; out-of-range values cannot
// come from a sane shape, and are kept inside int32 rather than overflowing.
int32_t Truncate(float v) {
  if (!(v == v)) return 0;
  if (v >= 2147483520.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// A tag as printable text for a trace line.
std::string Printable(const std::string& tag) {
  std::string out;
  for (unsigned char c : tag) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return "\"" + out + "\"";
}

bool IsObjectKind(const std::string& kind) { return kind == "MAPOBJ" || kind == "LAZBOX" || kind == "BOOMBA"; }

bool InCoordRange(int32_t v) { return v >= -kMaxLevelCoord && v <= kMaxLevelCoord; }

std::string CheckLook(const TMap& map, int32_t look) {
  if (look < 1 || look > kLookCount) return "look " + std::to_string(look) + " is not 1 to 12";
  if (map.DrawRects[look] == nullptr) return "look " + std::to_string(look) + " does not exist";
  return "";
}

// Why an object record cannot be loaded, or "" when it can.
std::string CheckObject(const TMap& map, const TLevelRecord& r) {
  std::string why = CheckLook(map, r.Look);
  if (!why.empty()) return why;
  if (r.ShapeTag != "RECT" && r.ShapeTag != "CIRC") return "shape tag " + Printable(r.ShapeTag) + " is neither RECT nor CIRC";
  if (!StorableSize(r.W) || !StorableSize(r.H))
    return "sprite size " + std::to_string(r.W) + " x " + std::to_string(r.H) + " is not above 8 and at most 4096";
  if (r.ShapeTag == "RECT" && (!StorableSize(r.Size1) || !StorableSize(r.Size2)))
    return "rectangle " + std::to_string(r.Size1) + " x " + std::to_string(r.Size2) +
           " is not above 8 and at most 4096";
  if (r.ShapeTag == "CIRC" && !StorableSize(2 * static_cast<int64_t>(r.Size1)))
    return "circle of radius " + std::to_string(r.Size1) + " is not above 8 and at most 4096 across";
  if (!InCoordRange(r.X) || !InCoordRange(r.Y) || !InCoordRange(r.DX) || !InCoordRange(r.DY) ||
      !InCoordRange(r.Angle))
    return "position, offset or angle out of range";
  return "";
}

void Skip(size_t recordNo, const std::string& why) {
  Trace("Level record " + std::to_string(recordNo) + " skipped: " + why);
}

std::string Reason(int err) { return std::strerror(err); }

// Creates dir and any missing parent folders.
bool MakeDirs(const std::string& dir, std::string* error) {
  if (dir.empty()) return true;
  for (size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    struct stat st;
    if (::stat(part.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) {
        *error = part + ": " + Reason(ENOTDIR);
        return false;
      }
      continue;
    }
    if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = part + ": " + Reason(errno);
      return false;
    }
  }
  return true;
}

void AppendRecord(std::vector<uint8_t>& bytes, const TLevelRecord& r) {
  uint8_t buf[kRecordSize];
  EncodeRecord(r, buf);
  bytes.insert(bytes.end(), buf, buf + kRecordSize);
}

// The records of the map: objects in list order, then the ropes whose both
// ends are among the objects written.
std::vector<uint8_t> EncodeLevel(const TMap& map) {
  std::vector<uint8_t> bytes;
  std::vector<const TMapObj*> written;
  for (size_t i = 0; i < map.Obj.size(); ++i) {
    const TMapObj* o = map.Obj[i];
    TLevelRecord r;
    r.X = o->X;
    r.Y = o->Y;
    if (const auto* rect = dynamic_cast<const TShapeRect*>(o->Shape)) {
      r.Size1 = Truncate(rect->Rect.W);
      r.Size2 = Truncate(rect->Rect.H);
      r.ShapeTag = "RECT";
    } else if (const auto* circle = dynamic_cast<const TShapeCircle*>(o->Shape)) {
      r.Size1 = r.Size2 = Truncate(circle->Circle.Radius);
      r.ShapeTag = "CIRC";
    }
    r.DX = o->DX;
    r.DY = o->DY;
    r.W = o->W;
    r.H = o->H;
    r.Angle = o->Angle;
    r.Look = o->DrawRect ? o->DrawRect->Id : 0;
    if (dynamic_cast<const TLazerBox*>(o)) {
      r.KindTag = "LAZBOX";
    } else if (dynamic_cast<const TBomb*>(o)) {
      r.KindTag = "BOOMBA";
    } else {
      r.KindTag = "MAPOBJ";
    }
    r.Interactive = o->Interactive;
    r.Dynamic = o->Dynamic;
    r.Color = o->Color;
    // Written records must read back: an object without a shape or look would
    // be dropped by the loader and shift every rope index after it.
    if (r.ShapeTag.empty() || r.Look < 1 || r.Look > kLookCount) {
      std::fprintf(stderr, "Level save: object %zu has no shape or look and is not saved\n", i + 1);
      continue;
    }
    written.push_back(o);
    AppendRecord(bytes, r);
  }
  auto indexOf = [&written](const TMapObj* o) -> int32_t {
    for (size_t i = 0; i < written.size(); ++i)
      if (written[i] == o) return static_cast<int32_t>(i);
    return -1;
  };
  for (size_t i = 0; i < map.Ropes.size(); ++i) {
    const TRope* rope = map.Ropes[i];
    TLevelRecord r;
    r.X = rope->X;
    r.Y = rope->Y;
    r.Look = rope->DrawRect ? rope->DrawRect->Id : 0;
    r.IndexA = rope->ObjA ? indexOf(rope->ObjA) : -1;
    r.IndexB = rope->ObjB ? indexOf(rope->ObjB) : -1;
    r.OffAx = rope->OffAx;
    r.OffAy = rope->OffAy;
    r.OffBx = rope->OffBx;
    r.OffBy = rope->OffBy;
    r.ShapeTag = "ROPE";
    r.KindTag = "ROPE";
    r.Interactive = false;
    r.Dynamic = true;
    // A rope must never name an object the file does not hold.
    if (r.IndexA < 0 || r.IndexB < 0) {
      std::fprintf(stderr, "Level save: rope %zu is not tied to two saved objects and is not saved\n", i + 1);
      continue;
    }
    AppendRecord(bytes, r);
  }
  return bytes;
}

}  // namespace

TLevelFileOps SystemLevelFileOps() { return TLevelFileOps{SysWrite, SysFsync, SysRename}; }
TLevelFileOps LevelFileOps = SystemLevelFileOps();

std::string LevelPath(const std::string& fileName) {
  return NativePath(fileName.size() > kMaxFileName ? fileName.substr(0, kMaxFileName) : fileName);
}

bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  if (path.empty() || slash + 1 == path.size()) {
    *error = Reason(EISDIR);
    return false;
  }
  if (!MakeDirs(slash == std::string::npos ? "" : dir, error)) return false;

  std::string tmp = dir + "/.level-save.XXXXXX";
  const int fd = ::mkstemp(&tmp[0]);
  if (fd < 0) {
    *error = Reason(errno);
    return false;
  }
  auto fail = [&](int err, bool open) {
    *error = Reason(err);
    if (open) ::close(fd);
    ::unlink(tmp.c_str());
    return false;
  };
  // mkstemp makes the file private; a level keeps the mode of the file it
  // replaces, or gets the usual one.
  struct stat old;
  mode_t mode = 0644;
  if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;
  if (::fchmod(fd, mode) != 0) return fail(errno, true);

  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = LevelFileOps.Write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno, true);
    }
    if (n == 0) return fail(ENOSPC, true);
    done += static_cast<size_t>(n);
  }
  if (LevelFileOps.Fsync(fd) != 0) return fail(errno, true);
  if (::close(fd) != 0) return fail(errno, false);
  if (LevelFileOps.Rename(tmp.c_str(), path.c_str()) != 0) return fail(errno, false);
  // Make the rename itself durable; the data is already safe if this fails.
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = Reason(errno);
    return false;
  }
  auto fail = [&](int err) {
    *error = Reason(err);
    ::close(fd);
    return false;
  };
  struct stat st;
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (S_ISDIR(st.st_mode)) return fail(EISDIR);
  std::vector<uint8_t> data;
  uint8_t buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) break;
    data.insert(data.end(), buf, buf + n);
    if (data.size() > kMaxLevelFileBytes) return fail(EFBIG);
  }
  ::close(fd);
  *bytes = std::move(data);
  return true;
}

void LoadLevelBytes(TMap& map, const std::vector<uint8_t>& bytes) {
  map.New();
  // The loaded object of every object record so far, nullptr where one was
  // skipped: rope indices count object records, so a skipped object cannot
  // shift a rope onto the wrong one.
  std::vector<TMapObj*> byIndex;
  const size_t count = bytes.size() / kRecordSize;
  for (size_t i = 0; i < count; ++i) {
    const size_t recordNo = i + 1;
    TLevelRecord r = DecodeRecord(bytes.data() + i * kRecordSize);
    if (IsObjectKind(r.KindTag)) {
      const std::string why = CheckObject(map, r);
      if (!why.empty()) {
        byIndex.push_back(nullptr);
        Skip(recordNo, why);
        continue;
      }
      TMeDrawRect* look = map.DrawRects[r.Look];
      // The sprite is drawn with frame Color, which must exist.
      const int32_t lastFrame = look->LastFrame < 0 ? 0 : look->LastFrame;
      if (r.Color > lastFrame) r.Color = static_cast<uint8_t>(lastFrame);
      TMapObj* obj;
      if (r.KindTag == "LAZBOX") {
        obj = new TLazerBox(r, look);
      } else if (r.KindTag == "BOOMBA") {
        obj = new TBomb(r, look);
      } else {
        obj = new TMapObj(r, look);
      }
      map.Obj.push_back(obj);
      byIndex.push_back(obj);
    } else if (r.KindTag == "ROPE") {
      std::string why = CheckLook(map, r.Look);
      const int64_t loaded = static_cast<int64_t>(byIndex.size());
      if (why.empty()) {
        for (int32_t index : {r.IndexA, r.IndexB}) {
          if (index < 0 || index >= loaded) {
            why = "object index " + std::to_string(index) + " is not 0 to " + std::to_string(loaded - 1);
            break;
          }
          if (byIndex[static_cast<size_t>(index)] == nullptr) {
            why = "object " + std::to_string(index) + " was skipped";
            break;
          }
        }
      }
      if (why.empty() && r.IndexA == r.IndexB) why = "both ends on object " + std::to_string(r.IndexA);
      if (why.empty() && (!InCoordRange(r.OffAx) || !InCoordRange(r.OffAy) || !InCoordRange(r.OffBx) ||
                          !InCoordRange(r.OffBy)))
        why = "tie offset out of range";
      if (!why.empty()) {
        Skip(recordNo, why);
        continue;
      }
      map.Ropes.push_back(new TRope(map.DrawRects[r.Look], byIndex[static_cast<size_t>(r.IndexA)],
                                    byIndex[static_cast<size_t>(r.IndexB)], r.OffAx, r.OffAy, r.OffBx, r.OffBy));
    } else {
      Skip(recordNo, "unknown kind tag " + Printable(r.KindTag));
    }
  }
}

bool TMap::Save(const std::string& fileName) {
  const std::string path = LevelPath(fileName);
  std::string error;
  if (!WriteFileAtomically(path, EncodeLevel(*this), &error)) {
    std::fprintf(stderr, "Cannot save level %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

bool TMap::Load(const std::string& fileName) {
  const std::string path = LevelPath(fileName);
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadWholeFile(path, &bytes, &error)) {
    std::fprintf(stderr, "Cannot load level %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  LoadLevelBytes(*this, bytes);
  return true;
}
