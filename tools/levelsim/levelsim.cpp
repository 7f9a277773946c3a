// levelsim: plays a level file headless and prints what happened as JSON lines.
//
//   levelsim FILE [--ticks N] [--cycles N] [--beams] [--click X,Y@T]...
//
// --cycles plays the level N times over (stop, then play again from the
// editing poses), as a user does; only the last run is reported.
//
// Runs the very map, objects and play tick the game runs, on a do-nothing
// engine. Standard output carries only JSON; the map's trace lines go to
// standard error.
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "level/uMap.h"
#include "level/uMapObj.h"
#include "level/uWorld.h"
#include "objects/uBomb.h"
#include "objects/uLazer.h"
#include "objects/uRope.h"
#include "shell/uNullEngine.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

namespace {

struct Click {
  int32_t x, y;
  long tick;
};

struct Options {
  std::string file;
  long ticks = 600;
  long cycles = 1;
  bool beams = false;
  std::vector<Click> clicks;
};

[[noreturn]] void Fail(const std::string& message) {
  fprintf(stderr, "levelsim: %s\n", message.c_str());
  exit(2);
}

bool ParseLong(const char* s, long& out) {
  if (!s || !*s) return false;
  errno = 0;
  char* end = nullptr;
  long v = strtol(s, &end, 10);
  if (errno || *end) return false;
  out = v;
  return true;
}

Options ParseArgs(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--ticks") {
      if (i + 1 >= argc || !ParseLong(argv[i + 1], o.ticks) || o.ticks < 1 || o.ticks > 10000000)
        Fail("--ticks wants a whole number from 1 to 10000000");
      i++;
    } else if (a == "--cycles") {
      if (i + 1 >= argc || !ParseLong(argv[i + 1], o.cycles) || o.cycles < 1 || o.cycles > 1000)
        Fail("--cycles wants a whole number from 1 to 1000");
      i++;
    } else if (a == "--beams") {
      o.beams = true;
    } else if (a == "--click") {
      if (i + 1 >= argc) Fail("--click wants X,Y@T");
      std::string v = argv[++i];
      size_t comma = v.find(','), at = v.find('@');
      long x, y, t;
      if (comma == std::string::npos || at == std::string::npos || at < comma ||
          !ParseLong(v.substr(0, comma).c_str(), x) || !ParseLong(v.substr(comma + 1, at - comma - 1).c_str(), y) ||
          !ParseLong(v.substr(at + 1).c_str(), t) || t < 1 || std::labs(x) > 100000 || std::labs(y) > 100000)
        Fail("--click wants X,Y@T with whole numbers and T from 1");
      o.clicks.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y), t});
    } else if (!a.empty() && a[0] == '-') {
      Fail("unknown option " + a);
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      Fail("one level file only");
    }
  }
  if (o.file.empty()) Fail("usage: levelsim FILE [--ticks N] [--cycles N] [--beams] [--click X,Y@T]...");
  return o;
}

const char* KindOf(const TMapObj* o) {
  if (dynamic_cast<const TLazerBox*>(o)) return "LAZBOX";
  if (dynamic_cast<const TBomb*>(o)) return "BOOMBA";
  return "MAPOBJ";
}

std::string Num(double v) {
  if (!std::isfinite(v)) return "null";
  char buf[64];
  snprintf(buf, sizeof buf, "%.4f", v);
  // Trim trailing zeros for readable, stable output.
  std::string s(buf);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

struct BombState {
  bool lit = false, exploding = false, alive = false;
  uint8_t pulse = 0;
};

struct Pose {
  double x = 0, y = 0, angle = 0;
  bool known = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options opt = ParseArgs(argc, argv);

  // JSON keeps the real standard output; everything the map traces goes to stderr.
  int jsonFd = dup(1);
  if (jsonFd < 0 || dup2(2, 1) < 0) Fail("cannot set up standard output");
  FILE* json = fdopen(jsonFd, "w");
  if (!json) Fail("cannot set up standard output");

  BindNullEngine();
  LoadGuiResources();
  TMap map(35);
  if (access(opt.file.c_str(), R_OK) != 0) Fail("cannot read " + opt.file + ": " + strerror(errno));
  if (!map.Load(opt.file)) Fail("cannot load " + opt.file);

  std::vector<BombState> bombs(map.Obj.size());
  std::vector<Pose> poses(map.Obj.size());
  std::vector<std::vector<bool>> segEnabled(map.Ropes.size());

  auto clicksAt = [&](long tick) {
    for (const Click& c : opt.clicks)
      if (c.tick == tick) return &c;
    return static_cast<const Click*>(nullptr);
  };

  auto observe = [&](long tick) {
    for (size_t i = 0; i < map.Obj.size(); i++) {
      TMapObj* o = map.Obj[i];
      if (o->Body) {
        b2Vec2 p = o->Body->GetPosition();
        poses[i] = {p.x, p.y, o->Body->GetAngle() * kRadToDeg, true};
      }
      TBomb* b = dynamic_cast<TBomb*>(o);
      if (!b) continue;
      BombState& s = bombs[i];
      if (b->Lit && !s.lit) fprintf(json, "{\"tick\":%ld,\"event\":\"lit\",\"object\":%zu}\n", tick, i);
      if (b->Exploding && !s.exploding)
        fprintf(json, "{\"tick\":%ld,\"event\":\"ignite\",\"object\":%zu}\n", tick, i);
      // A pulse resets the countdown to 4 from 0.
      if (b->Exploding && s.exploding && b->Pulse == 4 && s.pulse == 0 && b->Alive)
        fprintf(json, "{\"tick\":%ld,\"event\":\"pulse\",\"object\":%zu,\"radius\":%s}\n", tick, i,
                Num(b->Blast.Radius).c_str());
      if (!b->Alive && s.alive) fprintf(json, "{\"tick\":%ld,\"event\":\"gone\",\"object\":%zu}\n", tick, i);
      s = {b->Lit, b->Exploding, b->Alive, b->Pulse};
    }
    for (size_t r = 0; r < map.Ropes.size(); r++) {
      TRope* rope = map.Ropes[r];
      std::vector<bool>& was = segEnabled[r];
      if (was.size() != rope->Segments.size()) was.assign(rope->Segments.size(), true);
      for (size_t k = 0; k < rope->Segments.size(); k++) {
        bool on = rope->Segments[k]->IsEnabled();
        // A burn is the segment that went out hot; Cut switches off the cooler rest.
        if (was[k] && !on && k < rope->Heat.size() && rope->Heat[k] > 240)
          fprintf(json, "{\"tick\":%ld,\"event\":\"burn\",\"rope\":%zu,\"segment\":%zu}\n", tick, r, k);
        was[k] = on;
      }
    }
    if (opt.beams && map.World) {
      for (size_t l = 0; l < map.World->Lazers.size(); l++) {
        const TLazer* lz = map.World->Lazers[l];
        std::string pts = "[" + Num(lz->Origin.x) + "," + Num(lz->Origin.y) + "]";
        for (const b2Vec2& p : lz->Points) pts += ",[" + Num(p.x) + "," + Num(p.y) + "]";
        fprintf(json, "{\"tick\":%ld,\"beam\":%zu,\"points\":[%s]}\n", tick, l, pts.c_str());
      }
    }
  };

  // Earlier runs: the same clicks, nothing reported, then stop.
  for (long cycle = 1; cycle < opt.cycles; cycle++) {
    for (long tick = 1; tick <= opt.ticks; tick++) {
      const Click* k = clicksAt(tick);
      NullEngineMouse(k ? k->x : 0, k ? k->y : 0, k != nullptr);
      if (tick == 1)
        map.Play();
      else
        map.Step();
      mouse_ClearState();
    }
    map.Playing = false;
  }

  // Tick 1 is the step that Play runs itself.
  const Click* c = clicksAt(1);
  NullEngineMouse(c ? c->x : 0, c ? c->y : 0, c != nullptr);
  for (size_t i = 0; i < map.Obj.size(); i++) {
    TBomb* b = dynamic_cast<TBomb*>(map.Obj[i]);
    if (b) bombs[i].alive = true;  // Play brings every bomb to life
  }
  map.Play();
  mouse_ClearState();
  observe(1);
  for (long tick = 2; tick <= opt.ticks; tick++) {
    c = clicksAt(tick);
    NullEngineMouse(c ? c->x : 0, c ? c->y : 0, c != nullptr);
    map.Step();
    mouse_ClearState();
    observe(tick);
  }

  for (size_t i = 0; i < map.Obj.size(); i++) {
    TMapObj* o = map.Obj[i];
    Pose p = poses[i];
    if (!p.known) p = {static_cast<double>(o->X), static_cast<double>(o->Y), static_cast<double>(o->Angle), true};
    fprintf(json, "{\"object\":%zu,\"kind\":\"%s\",\"x\":%s,\"y\":%s,\"angle\":%s", i, KindOf(o), Num(p.x).c_str(),
            Num(p.y).c_str(), Num(p.angle).c_str());
    if (const TBomb* b = dynamic_cast<const TBomb*>(o)) fprintf(json, ",\"alive\":%s", b->Alive ? "true" : "false");
    fprintf(json, "}\n");
  }
  for (size_t r = 0; r < map.Ropes.size(); r++) {
    const TRope* rope = map.Ropes[r];
    size_t active = 0;
    for (b2Body* s : rope->Segments) active += s->IsEnabled();
    fprintf(json, "{\"rope\":%zu,\"segments\":%zu,\"active\":%zu}\n", r, rope->Segments.size(), active);
  }
  fflush(json);
  return 0;
}
