// The editor frame: the whole editor screen with the stress level, drawn
// through the real engine library into an offscreen picture by SDL's software
// renderer, in editing and while playing. Its own binary, since it binds the
// real engine where the tick benchmarks bind the null one.
//
//   frame_bench [--frames N] [--shots DIR] [benchmark options]
//
// --frames sets the frames measured per state (300); --shots writes the last frame of each state as DIR/frame_editing.bmp and
// DIR/frame_playing.bmp, to see what was measured. Ends with one summary line.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "QuietStdout.h"
#include "StressLevel.h"
#include "editor/uEditor.h"
#include "level/uMap.h"
#include "shell/uZenGL.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;
// Ticks of play before the first measured frame: the beams reach full length
// (15 px a tick) and the pile is moving.
constexpr int kWarmTicks = 120;

// The engine's extra exports, beside the game's table.
struct Offscreen {
  bool (*open)(uint16_t, uint16_t) = nullptr;
  bool (*render)() = nullptr;
  const void* (*pixels)() = nullptr;
  void (*close)() = nullptr;
  int (*calls)() = nullptr;

  bool Bind() {
    void* lib = dlopen(EngineLibraryPath("ZenGL.dll"), RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return false;
    open = reinterpret_cast<bool (*)(uint16_t, uint16_t)>(dlsym(lib, "zgl_OpenOffscreen"));
    render = reinterpret_cast<bool (*)()>(dlsym(lib, "zgl_RenderOffscreen"));
    pixels = reinterpret_cast<const void* (*)()>(dlsym(lib, "zgl_OffscreenPixels"));
    close = reinterpret_cast<void (*)()>(dlsym(lib, "zgl_CloseOffscreen"));
    calls = reinterpret_cast<int (*)()>(dlsym(lib, "zgl_RenderCallsLastFrame"));
    dlclose(lib);  // still loaded: BindEngine holds it
    return open && render && pixels && close && calls;
  }
} engine;

TEditor* editor = nullptr;
void DrawEditor() { editor->Draw(); }

// One timer tick, as the shell runs it.
void Tick(TEditor& ed) {
  ed.Update();
  key_ClearState();
  mouse_ClearState();
}

std::string shotsDir;
std::map<std::string, double> renderCalls;

void SaveShot(const std::string& name) {
  if (shotsDir.empty()) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(engine.pixels()), kWidth, kHeight, 32,
                                                      kWidth * 4, SDL_PIXELFORMAT_RGB888);
  if (!s) return;
  SDL_SaveBMP(s, (shotsDir + "/frame_" + name + ".bmp").c_str());
  SDL_FreeSurface(s);
}

// Range 0: editing, 1: playing. Only the frame is timed; while playing, the
// level ticks between frames (untimed) so every frame shows a moving scene.
void BM_EditorFrame(benchmark::State& state) {
  const bool playing = state.range(0) != 0;
  auto ed = std::make_unique<TEditor>(0);
  BuildStressLevel(*ed->Map, 1);
  if (playing) {
    ed->Map->Play();
    for (int i = 0; i < kWarmTicks; i++) Tick(*ed);
  }
  editor = ed.get();
  double calls = 0;
  for (auto _ : state) {
    if (playing) Tick(*ed);
    auto t0 = std::chrono::steady_clock::now();
    engine.render();
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    calls += engine.calls();
  }
  const std::string name = playing ? "playing" : "editing";
  renderCalls[name] = calls / static_cast<double>(state.iterations());
  state.counters["render_calls"] = renderCalls[name];
  state.counters["objects"] = static_cast<double>(ed->Map->Obj.size());
  SaveShot(name);
  editor = nullptr;
}


class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ms;  // mean time per frame in ms, by run name
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      double t = r.GetAdjustedRealTime();
      if (r.time_unit == benchmark::kMicrosecond) t /= 1e3;
      if (r.time_unit == benchmark::kNanosecond) t /= 1e6;
      ms[r.run_name.str()] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  long frames = 300;
  for (int i = 1; i < argc;) {
    bool shots = strcmp(argv[i], "--shots") == 0, count = strcmp(argv[i], "--frames") == 0;
    if (!(shots || count) || i + 1 >= argc) {
      i++;
      continue;
    }
    if (shots) shotsDir = argv[i + 1];
    if (count) frames = std::max(1L, std::strtol(argv[i + 1], nullptr, 10));
    for (int k = i; k + 2 <= argc; k++) argv[k] = argv[k + 2];
    argc -= 2;
  }
  benchmark::RegisterBenchmark("BM_EditorFrame", BM_EditorFrame)
      ->ArgName("playing")
      ->Arg(0)
      ->Arg(1)
      ->Iterations(frames)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  // Headless whatever the session: the offscreen target needs no display.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!BindEngine("ZenGL.dll", false) || !engine.Bind()) {
    fprintf(stderr, "frame_bench: the engine library or its offscreen exports are missing\n");
    return 1;
  }
  if (!engine.open(kWidth, kHeight)) return 1;
  zgl_Reg(SYS_DRAW, DrawEditor);
  LoadGuiResources();
  benchmark::Initialize(&argc, argv);
  Collector reporter;
  // The table goes to the real standard output, opened anew before it is muted.
  std::ofstream out("/dev/stdout", std::ios::app);
  if (out) reporter.SetOutputStream(&out);
  {
    QuietStdout quiet;
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }
  const std::string suffix = "/iterations:" + std::to_string(frames) + "/manual_time";
  const std::string runs[] = {"BM_EditorFrame/playing:0" + suffix, "BM_EditorFrame/playing:1" + suffix};
  printf("frame_ms_editing=%.3f frame_ms_playing=%.3f render_calls_editing=%.0f render_calls_playing=%.0f\n",
         reporter.ms[runs[0]], reporter.ms[runs[1]], renderCalls["editing"], renderCalls["playing"]);
  engine.close();
  return 0;
}
