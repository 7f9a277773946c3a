#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "level/uLevelFile.h"
#include "level/uMap.h"
#include "level/uMapFile.h"
#include "level/uMapObj.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "tests/fake/FakeEngine.h"
#include "toolkit/uMeForm.h"

namespace {

// The document's example: a dynamic, black, not interactive 26 x 70 plank of
// look 1 at (105, 210), turned by 15 degrees, with the look's own offsets.
TLevelRecord ExamplePlank() {
  TLevelRecord r;
  r.X = 105;
  r.Y = 210;
  r.Size1 = 26;
  r.Size2 = 70;
  r.DX = -13;
  r.DY = -35;
  r.W = 26;
  r.H = 70;
  r.Angle = 15;
  r.Look = 1;
  r.ShapeTag = "RECT";
  r.KindTag = "MAPOBJ";
  r.Dynamic = true;
  return r;
}

TEST(LevelRecord, ExamplePlankIsEncodedByteForByte) {
  // Ten little-endian integers, six zero integers, then the two tags and flags.
  std::vector<uint8_t> expected;
  for (int32_t v : {105, 210, 26, 70, -13, -35, 26, 70, 15, 1, 0, 0, 0, 0, 0, 0}) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) expected.push_back(static_cast<uint8_t>(u >> shift));
  }
  for (uint8_t b : {0x04, 0x52, 0x45, 0x43, 0x54, 0x06, 0x4D, 0x41, 0x50, 0x4F, 0x42, 0x4A, 0x00, 0x01, 0x00, 0x00})
    expected.push_back(b);
  ASSERT_EQ(expected.size(), kRecordSize);
  EXPECT_EQ(expected[16], 0xF3);  // -13 as written in the document
  EXPECT_EQ(expected[19], 0xFF);

  uint8_t out[kRecordSize];
  std::memset(out, 0xCC, sizeof out);  // every byte must be written, not left over
  EncodeRecord(ExamplePlank(), out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + kRecordSize), expected);
}

TEST(LevelRecord, RopeRecordLayout) {
  TLevelRecord r;
  r.X = 7;
  r.Look = 7;
  r.IndexA = 2;
  r.IndexB = -1;
  r.OffAx = 5;
  r.OffBy = -3;
  r.ShapeTag = r.KindTag = "ROPE";
  r.Dynamic = true;
  uint8_t out[kRecordSize];
  EncodeRecord(r, out);
  EXPECT_EQ(out[40], 2);
  for (int i = 44; i < 48; ++i) EXPECT_EQ(out[i], 0xFF) << i;  // -1
  EXPECT_EQ(out[48], 5);
  EXPECT_EQ(out[60], 0xFD);
  // Kind tag "ROPE" uses 4 of its 6 characters; the other two stay zero.
  const uint8_t tail[] = {4, 'R', 'O', 'P', 'E', 4, 'R', 'O', 'P', 'E', 0, 0, 0, 1, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(out + 64, out + 80), std::vector<uint8_t>(tail, tail + 16));
}

TEST(LevelRecord, DecodeReadsBackWhatEncodeWrote) {
  TLevelRecord r = ExamplePlank();
  r.IndexA = -7;
  r.IndexB = 123456789;
  r.OffAx = INT32_MIN;
  r.OffBy = INT32_MAX;
  r.Interactive = true;
  r.Color = 2;
  uint8_t bytes[kRecordSize];
  EncodeRecord(r, bytes);
  const TLevelRecord d = DecodeRecord(bytes);
  EXPECT_EQ(d.X, 105);
  EXPECT_EQ(d.DX, -13);
  EXPECT_EQ(d.IndexA, -7);
  EXPECT_EQ(d.IndexB, 123456789);
  EXPECT_EQ(d.OffAx, INT32_MIN);
  EXPECT_EQ(d.OffBy, INT32_MAX);
  EXPECT_EQ(d.ShapeTag, "RECT");
  EXPECT_EQ(d.KindTag, "MAPOBJ");
  EXPECT_TRUE(d.Interactive);
  EXPECT_TRUE(d.Dynamic);
  EXPECT_EQ(d.Color, 2);
}

TEST(LevelRecord, DecodeIsSafeOnOddBytes) {
  uint8_t bytes[kRecordSize];
  EncodeRecord(ExamplePlank(), bytes);
  // Length bytes beyond their room read only the room; characters after the
  // length are ignored; any nonzero flag byte is true.
  bytes[64] = 200;
  bytes[69] = 255;
  bytes[76] = 0x80;
  bytes[77] = 0x02;
  TLevelRecord d = DecodeRecord(bytes);
  EXPECT_EQ(d.ShapeTag, "RECT");
  EXPECT_EQ(d.KindTag, "MAPOBJ");
  EXPECT_TRUE(d.Interactive);
  EXPECT_TRUE(d.Dynamic);

  bytes[69] = 3;  // "MAP", the rest of the room ignored
  EXPECT_EQ(DecodeRecord(bytes).KindTag, "MAP");
}

TEST(LevelRecord, LongTagsAreCutToTheirRoom) {
  TLevelRecord r;
  r.ShapeTag = "RECTANGLE";
  r.KindTag = "MAPOBJECT";
  uint8_t bytes[kRecordSize];
  EncodeRecord(r, bytes);
  EXPECT_EQ(bytes[64], 4);
  EXPECT_EQ(bytes[69], 6);
  const TLevelRecord d = DecodeRecord(bytes);
  EXPECT_EQ(d.ShapeTag, "RECT");
  EXPECT_EQ(d.KindTag, "MAPOBJ");
}

TEST(LevelRecord, NativePathTurnsBackslashesIntoSlashes) {
  EXPECT_EQ(NativePath("data\\level\\1001.map"), "data/level/1001.map");
  EXPECT_EQ(NativePath("data/level/x.map"), "data/level/x.map");
  EXPECT_EQ(NativePath(""), "");
}

// ---- the map's save and load -------------------------------------------------

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Append(std::vector<uint8_t>& bytes, const TLevelRecord& r) {
  uint8_t buf[kRecordSize];
  EncodeRecord(r, buf);
  bytes.insert(bytes.end(), buf, buf + kRecordSize);
}

TLevelRecord Object(const std::string& kind, const std::string& shape, int32_t look, int32_t s1, int32_t s2,
                    int32_t w, int32_t h) {
  TLevelRecord r;
  r.X = 70;
  r.Y = 140;
  r.Size1 = s1;
  r.Size2 = s2;
  r.W = w;
  r.H = h;
  r.DX = -w / 2;
  r.DY = -h / 2;
  r.Look = look;
  r.ShapeTag = shape;
  r.KindTag = kind;
  r.Dynamic = true;
  return r;
}

TLevelRecord Plank() { return Object("MAPOBJ", "RECT", 1, 26, 70, 26, 70); }

TLevelRecord Rope(int32_t a, int32_t b) {
  TLevelRecord r;
  r.Look = 7;
  r.IndexA = a;
  r.IndexB = b;
  r.OffAx = 3;
  r.OffBy = -4;
  r.ShapeTag = r.KindTag = "ROPE";
  r.Dynamic = true;
  return r;
}

size_t CountLines(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Every test works in a fresh temporary folder, so the repository's data/ is
// never touched.
class LevelFileTest : public testing::Test {
 protected:
  void SetUp() override {
    scratch.emplace("levelfile");
    ASSERT_TRUE(scratch->Ok());
    dir = scratch->Path();
    map = new TMap(35);
  }
  void TearDown() override {
    LevelFileOps = SystemLevelFileOps();
    CaptureStdout([this] { delete map; });
    scratch.reset();
  }

  // Loads quietly and hands back what went to standard output.
  std::string LoadBytes(const std::vector<uint8_t>& bytes) {
    return CaptureStdout([&] { LoadLevelBytes(*map, bytes); });
  }
  std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    FILE* p = popen(("ls -A " + folder).c_str(), "r");
    char line[512];
    while (p && fgets(line, sizeof line, p)) names.emplace_back(line, strcspn(line, "\n"));
    if (p) pclose(p);
    return names;
  }
  // A small level of three objects (one of each kind) and one rope.
  void BuildLevel() {
    auto* plank = new TMapObj(map->DrawRects[1], new TShapeRect(26, 70));
    plank->X = 105;
    plank->Y = 210;
    plank->Angle = 15;
    plank->Color = 2;
    plank->Interactive = true;
    plank->Resize(4, 10);  // a resized object keeps its own size and offsets
    auto* bomb = new TBomb(map->DrawRects[8], new TShapeCircle(32));
    bomb->X = 350;
    bomb->Y = 35;
    bomb->Dynamic = false;
    auto* box = new TLazerBox(map->DrawRects[9], new TShapeRect(40, 20));
    box->X = 35;
    box->Y = 420;
    box->Angle = -90;
    map->Obj = {plank, bomb, box};
    map->Ropes.push_back(new TRope(map->DrawRects[7], bomb, plank, 3, -4, -5, 6));
  }

  std::optional<ScratchDir> scratch;
  std::string dir;
  FakeEngine engine;
  TMap* map = nullptr;
};

TEST_F(LevelFileTest, SaveThenLoadGivesBackTheLevel) {
  BuildLevel();
  ASSERT_TRUE(map->Save("data\\level\\1001.map"));  // the folder is made by the first save
  const std::vector<uint8_t> bytes = FileBytes("data/level/1001.map");
  // Three object records, then the rope record.
  ASSERT_EQ(bytes.size(), 320u);
  const TLevelRecord bombRecord = DecodeRecord(bytes.data() + 80);
  EXPECT_EQ(bombRecord.ShapeTag, "CIRC");
  EXPECT_EQ(bombRecord.Size1, 16);  // radius 16, stored twice
  EXPECT_EQ(bombRecord.Size2, 16);
  EXPECT_EQ(bombRecord.KindTag, "BOOMBA");
  EXPECT_EQ(DecodeRecord(bytes.data() + 160).KindTag, "LAZBOX");
  EXPECT_EQ(DecodeRecord(bytes.data() + 240).KindTag, "ROPE");

  struct Expect {
    int32_t x, y, dx, dy, w, h, angle, look;
    bool interactive, dynamic;
    uint8_t color;
  };
  std::vector<Expect> want;
  for (TMapObj* o : map->Obj)
    want.push_back({o->X, o->Y, o->DX, o->DY, o->W, o->H, o->Angle, o->DrawRect->Id, o->Interactive, o->Dynamic,
                    o->Color});

  std::string out;
  bool loaded = false;
  out = CaptureStdout([&] { loaded = map->Load("data\\level\\1001.map"); });
  ASSERT_TRUE(loaded);
  EXPECT_EQ(out.rfind("TMap.New\n", 0), 0u) << out;  // the old level was emptied first
  EXPECT_EQ(out.find("skipped"), std::string::npos) << out;

  ASSERT_EQ(map->Obj.size(), 3u);
  EXPECT_EQ(typeid(*map->Obj[0]), typeid(TMapObj));
  EXPECT_EQ(typeid(*map->Obj[1]), typeid(TBomb));
  EXPECT_EQ(typeid(*map->Obj[2]), typeid(TLazerBox));
  for (size_t i = 0; i < 3; ++i) {
    const TMapObj* o = map->Obj[i];
    const Expect& e = want[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(o->X, e.x);
    EXPECT_EQ(o->Y, e.y);
    EXPECT_EQ(o->DX, e.dx);
    EXPECT_EQ(o->DY, e.dy);
    EXPECT_EQ(o->W, e.w);
    EXPECT_EQ(o->H, e.h);
    EXPECT_EQ(o->Angle, e.angle);
    EXPECT_EQ(o->DrawRect, map->DrawRects[e.look]);
    EXPECT_EQ(o->Interactive, e.interactive);
    EXPECT_EQ(o->Dynamic, e.dynamic);
    EXPECT_EQ(o->Color, e.color);
  }
  // The plank was resized by (4, 10) from 26 x 70.
  const auto* rect = dynamic_cast<const TShapeRect*>(map->Obj[0]->Shape);
  ASSERT_NE(rect, nullptr);
  EXPECT_EQ(rect->Rect.W, 30);
  EXPECT_EQ(rect->Rect.H, 80);
  const auto* circle = dynamic_cast<const TShapeCircle*>(map->Obj[1]->Shape);
  ASSERT_NE(circle, nullptr);
  EXPECT_EQ(circle->Circle.Radius, 16);

  ASSERT_EQ(map->Ropes.size(), 1u);
  const TRope* rope = map->Ropes[0];
  EXPECT_EQ(rope->ObjA, map->Obj[1]);
  EXPECT_EQ(rope->ObjB, map->Obj[0]);
  EXPECT_EQ(rope->DrawRect, map->DrawRects[7]);
  EXPECT_EQ(rope->OffAx, 3);
  EXPECT_EQ(rope->OffAy, -4);
  EXPECT_EQ(rope->OffBx, -5);
  EXPECT_EQ(rope->OffBy, 6);

  // Saving the loaded level writes the same bytes again.
  ASSERT_TRUE(map->Save("data\\level\\1002.map"));
  EXPECT_EQ(FileBytes("data/level/1002.map"), bytes);
}

TEST_F(LevelFileTest, StrayTrailingBytesAreIgnored) {
  BuildLevel();
  ASSERT_TRUE(map->Save("a.map"));
  std::vector<uint8_t> bytes = FileBytes("a.map");
  bytes.insert(bytes.end(), 40, 0xAB);
  WriteBytes("b.map", bytes);
  CaptureStdout([&] { EXPECT_TRUE(map->Load("b.map")); });
  EXPECT_EQ(map->Obj.size(), 3u);
  EXPECT_EQ(map->Ropes.size(), 1u);
  ASSERT_TRUE(map->Save("c.map"));
  EXPECT_EQ(FileBytes("c.map"), FileBytes("a.map"));
}

TEST_F(LevelFileTest, EmptyFileGivesAnEmptyMap) {
  BuildLevel();
  WriteBytes("empty.map", {});
  CaptureStdout([&] { EXPECT_TRUE(map->Load("empty.map")); });
  EXPECT_TRUE(map->Obj.empty());
  EXPECT_TRUE(map->Ropes.empty());
}

TEST_F(LevelFileTest, BadRecordsAreSkippedAndTheRestLoads) {
  TLevelRecord unknown = Plank();
  unknown.KindTag = "MAPOBX";
  TLevelRecord shortKind = Plank();
  shortKind.KindTag = "MAPOB";  // compared with its length, not as a prefix
  TLevelRecord look0 = Plank();
  look0.Look = 0;
  TLevelRecord look13 = Plank();
  look13.Look = 13;
  TLevelRecord tria = Plank();
  tria.ShapeTag = "TRIA";
  TLevelRecord sprite8 = Plank();
  sprite8.W = 8;
  TLevelRecord rect8 = Plank();
  rect8.Size2 = 8;
  TLevelRecord circle8 = Object("MAPOBJ", "CIRC", 6, 4, 4, 16, 16);  // diameter 8
  TLevelRecord hugeSprite = Plank();
  hugeSprite.H = 5000;
  TLevelRecord hugeRect = Plank();
  hugeRect.Size1 = 100000;
  TLevelRecord hugeCircle = Object("MAPOBJ", "CIRC", 6, 1 << 30, 1 << 30, 16, 16);
  TLevelRecord farAway = Plank();
  farAway.X = INT32_MAX;  // would overflow the drawing position
  TLevelRecord farRope = Rope(0, 1);
  farRope.OffAx = INT32_MIN;
  TLevelRecord ropeLook = Rope(0, 1);
  ropeLook.Look = 99;

  struct Case {
    const char* name;
    TLevelRecord bad;
    // A skipped object record still counts for later rope indices; a record
    // of an unknown kind is no object and does not.
    bool isObject;
  };
  const Case cases[] = {
      {"unknown kind", unknown, false},     {"shorter kind", shortKind, false},
      {"rope index -1", Rope(-1, 1), false}, {"rope index too large", Rope(0, 2), false},
      {"rope on one object", Rope(1, 1), false}, {"rope look", ropeLook, false},
      {"rope offset", farRope, false},      {"look 0", look0, true},
      {"look 13", look13, true},            {"shape TRIA", tria, true},
      {"sprite 8 wide", sprite8, true},     {"rectangle 8 high", rect8, true},
      {"circle 8 across", circle8, true},   {"huge sprite", hugeSprite, true},
      {"huge rectangle", hugeRect, true},   {"huge circle", hugeCircle, true},
      {"far away", farAway, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Two good objects, the bad record (number 3), one more object, and a rope
    // tied to the first and the last good object.
    std::vector<uint8_t> bytes;
    Append(bytes, Plank());
    Append(bytes, Object("MAPOBJ", "CIRC", 5, 16, 16, 34, 34));
    Append(bytes, c.bad);
    TLevelRecord last = Object("BOOMBA", "CIRC", 8, 15, 15, 32, 52);
    last.X = 999;
    Append(bytes, last);
    Append(bytes, Rope(0, c.isObject ? 3 : 2));

    const std::string out = LoadBytes(bytes);
    EXPECT_EQ(CountLines(out, "skipped"), 1u) << out;
    EXPECT_EQ(CountLines(out, "Level record 3 skipped"), 1u) << out;
    ASSERT_EQ(map->Obj.size(), 3u);
    EXPECT_EQ(map->Obj[2]->X, 999);
    EXPECT_EQ(typeid(*map->Obj[2]), typeid(TBomb));
    ASSERT_EQ(map->Ropes.size(), 1u);
    EXPECT_EQ(map->Ropes[0]->ObjA, map->Obj[0]);
    EXPECT_EQ(map->Ropes[0]->ObjB, map->Obj[2]);
  }
}

TEST_F(LevelFileTest, RopeOnASkippedObjectIsSkippedToo) {
  TLevelRecord bad = Plank();
  bad.Look = 13;
  std::vector<uint8_t> bytes;
  Append(bytes, Plank());
  Append(bytes, bad);
  Append(bytes, Plank());
  Append(bytes, Rope(0, 1));  // names the skipped object: must not land on the next one
  Append(bytes, Rope(0, 2));
  const std::string out = LoadBytes(bytes);
  EXPECT_EQ(CountLines(out, "Level record 2 skipped"), 1u) << out;
  EXPECT_EQ(CountLines(out, "Level record 4 skipped"), 1u) << out;
  ASSERT_EQ(map->Obj.size(), 2u);
  ASSERT_EQ(map->Ropes.size(), 1u);
  EXPECT_EQ(map->Ropes[0]->ObjB, map->Obj[1]);
}

TEST_F(LevelFileTest, ColourTheLookCannotShowIsClamped) {
  struct Case {
    int32_t look;
    uint8_t color, want;
  };
  // Looks 1, 2, 4 and 5 have three frames; the long plank (3) and the post (10) one.
  const Case cases[] = {{3, 2, 0}, {10, 1, 0}, {1, 2, 2}, {2, 200, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.look);
    TLevelRecord r = Object("MAPOBJ", "RECT", c.look, 30, 30, 30, 30);
    r.Color = c.color;
    std::vector<uint8_t> bytes;
    Append(bytes, r);
    const std::string out = LoadBytes(bytes);
    EXPECT_EQ(out.find("skipped"), std::string::npos);
    ASSERT_EQ(map->Obj.size(), 1u);
    EXPECT_EQ(map->Obj[0]->Color, c.want);
  }
}

TEST_F(LevelFileTest, RopeWhoseObjectIsGoneIsNotSaved) {
  BuildLevel();
  auto* stray = new TMapObj(map->DrawRects[2], new TShapeRect(26, 26));
  map->Ropes.push_back(new TRope(map->DrawRects[7], map->Obj[0], stray, 0, 0, 0, 0));
  map->Ropes.push_back(new TRope(map->DrawRects[7], map->Obj[0], nullptr, 0, 0, 0, 0));
  testing::internal::CaptureStderr();
  ASSERT_TRUE(map->Save("a.map"));
  testing::internal::GetCapturedStderr();
  const std::vector<uint8_t> bytes = FileBytes("a.map");
  ASSERT_EQ(bytes.size(), 320u);  // only the rope on two saved objects
  for (size_t at = 0; at < bytes.size(); at += kRecordSize) {
    const TLevelRecord r = DecodeRecord(bytes.data() + at);
    if (r.KindTag == "ROPE") {
      EXPECT_GE(r.IndexA, 0);
      EXPECT_GE(r.IndexB, 0);
    }
  }
  CaptureStdout([&] { map->New(); });
  delete stray;
}

TEST_F(LevelFileTest, LongFileNamesAreCutTo255Bytes) {
  BuildLevel();
  const std::string name(300, 'n');
  ASSERT_TRUE(map->Save(name));
  EXPECT_EQ(FileBytes(std::string(255, 'n')).size(), 320u);
  CaptureStdout([&] { EXPECT_TRUE(map->Load(name)); });
  EXPECT_EQ(map->Obj.size(), 3u);
}

TEST_F(LevelFileTest, FailedSaveKeepsTheOldFileAndTheMap) {
  BuildLevel();
  ASSERT_TRUE(map->Save("data\\level\\1001.map"));
  const std::vector<uint8_t> before = FileBytes("data/level/1001.map");
  // The map changes, then a save fails at some step.
  map->Obj[0]->X = 777;
  const std::vector<TMapObj*> objs = map->Obj;

  struct Case {
    const char* name;
    TLevelFileOps ops;
    const char* reason;
  };
  const Case cases[] = {
      {"write fails",
       {[](int, const void*, size_t) -> ssize_t {
          errno = ENOSPC;
          return -1;
        },
        SystemLevelFileOps().Fsync, SystemLevelFileOps().Rename},
       "No space left on device"},
      {"write stalls",
       {[](int, const void*, size_t) -> ssize_t { return 0; }, SystemLevelFileOps().Fsync,
        SystemLevelFileOps().Rename},
       "No space left on device"},
      {"fsync fails",
       {SystemLevelFileOps().Write,
        [](int) {
          errno = EIO;
          return -1;
        },
        SystemLevelFileOps().Rename},
       "Input/output error"},
      // The kernel's own answer of a full disk: the bytes go to /dev/full.
      {"disk full",
       {[](int, const void* data, size_t size) -> ssize_t {
          const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
          if (full < 0) return -1;
          const ssize_t n = ::write(full, data, size);
          const int err = errno;
          ::close(full);
          errno = err;
          return n;
        },
        SystemLevelFileOps().Fsync, SystemLevelFileOps().Rename},
       "No space left on device"},
      {"rename fails",
       {SystemLevelFileOps().Write, SystemLevelFileOps().Fsync,
        [](const char*, const char*) {
          errno = EXDEV;
          return -1;
        }},
       "Invalid cross-device link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LevelFileOps = c.ops;
    testing::internal::CaptureStderr();
    const bool saved = map->Save("data\\level\\1001.map");
    const std::string err = testing::internal::GetCapturedStderr();
    LevelFileOps = SystemLevelFileOps();
    EXPECT_FALSE(saved);
    EXPECT_EQ(CountLines(err, "\n"), 1u) << err;
    EXPECT_NE(err.find("data/level/1001.map"), std::string::npos) << err;
    EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    EXPECT_EQ(FileBytes("data/level/1001.map"), before);
    EXPECT_EQ(Listing("data/level"), std::vector<std::string>{"1001.map"});  // no temporary file left
    EXPECT_EQ(map->Obj, objs);
    EXPECT_EQ(map->Obj[0]->X, 777);
  }
}

TEST_F(LevelFileTest, ShortWritesStillSaveEverything) {
  BuildLevel();
  LevelFileOps.Write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size > 7 ? 7 : size); };
  ASSERT_TRUE(map->Save("a.map"));
  LevelFileOps = SystemLevelFileOps();
  ASSERT_TRUE(map->Save("b.map"));
  EXPECT_EQ(FileBytes("a.map").size(), 320u);
  EXPECT_EQ(FileBytes("a.map"), FileBytes("b.map"));
}

TEST_F(LevelFileTest, SaveWhereTheFolderCannotBeMadeFails) {
  BuildLevel();
  WriteBytes("data", {1, 2, 3});  // a file where the folder should be
  testing::internal::CaptureStderr();
  EXPECT_FALSE(map->Save("data\\level\\1001.map"));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("data/level/1001.map"), std::string::npos) << err;
  EXPECT_NE(err.find("Not a directory"), std::string::npos) << err;
  EXPECT_EQ(FileBytes("data"), (std::vector<uint8_t>{1, 2, 3}));
}

// Permission bits do not bind root, and tests often run as root: the save is
// made in a child process that, when root, first becomes the unprivileged
// user nobody (65534). The child reports through its exit status and passes
// its standard error back through a pipe.
TEST_F(LevelFileTest, SaveIntoReadOnlyFolderFails) {
  BuildLevel();
  ASSERT_TRUE(map->Save("data\\level\\1001.map"));
  const std::vector<uint8_t> before = FileBytes("data/level/1001.map");
  map->Obj[1]->Y = 5;
  // Everyone may enter the folders and read the file; nobody may write the level folder.
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
  ASSERT_EQ(chmod("data", 0755), 0);
  ASSERT_EQ(chmod("data/level/1001.map", 0644), 0);
  ASSERT_EQ(chmod("data/level", 0555), 0);

  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  std::fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(pipeFds[1], 2);
    close(pipeFds[0]);
    close(pipeFds[1]);
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    if (geteuid() == 0) _exit(4);  // still root: the test would prove nothing
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, 1);
    _exit(map->Save("data\\level\\1001.map") ? 1 : 0);
  }
  close(pipeFds[1]);
  std::string err;
  char buf[512];
  for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) err.append(buf, static_cast<size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  chmod("data/level", 0755);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 3) << "could not become nobody";
  ASSERT_NE(WEXITSTATUS(status), 4) << "still root after setuid";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save answered true";
  EXPECT_EQ(CountLines(err, "\n"), 1u) << err;
  EXPECT_NE(err.find("data/level/1001.map"), std::string::npos) << err;
  EXPECT_NE(err.find("Permission denied"), std::string::npos) << err;
  EXPECT_EQ(FileBytes("data/level/1001.map"), before);
  EXPECT_EQ(Listing("data/level"), std::vector<std::string>{"1001.map"});
}

TEST_F(LevelFileTest, LoadOfAMissingFileKeepsTheOpenLevel) {
  BuildLevel();
  const std::vector<TMapObj*> objs = map->Obj;
  const std::vector<TRope*> ropes = map->Ropes;
  for (const char* name : {"data\\level\\missing.map", "."}) {
    SCOPED_TRACE(name);
    testing::internal::CaptureStderr();
    bool loaded = true;
    const std::string out = CaptureStdout([&] { loaded = map->Load(name); });
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(loaded);
    EXPECT_EQ(out, "");  // not even emptied
    EXPECT_EQ(CountLines(err, "\n"), 1u) << err;
    EXPECT_NE(err.find(NativePath(name)), std::string::npos) << err;
    EXPECT_EQ(map->Obj, objs);
    EXPECT_EQ(map->Ropes, ropes);
  }
}

}  // namespace
