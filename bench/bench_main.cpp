// The benchmarks: the play tick against raw Box2D, its scaling, the level
// file, and memory. Ends with one summary line for `make bench`.
//
//   game_bench [benchmark options]     the benchmarks
//   game_bench --write-stress FILE     saves the stress level to FILE, nothing else
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "QuietStdout.h"
#include "StressLevel.h"
#include "level/uMap.h"
#include "level/uWorld.h"
#include "shell/uNullEngine.h"
#include "toolkit/uMeForm.h"

namespace {

constexpr int kTicks = 600;

void BM_GameTick(benchmark::State& state) {
  TMap map(35);
  BuildStressLevel(map, static_cast<int>(state.range(0)));
  map.Play();
  for (auto _ : state) map.Step();
  state.counters["objects"] = static_cast<double>(map.Obj.size());
}

void BM_RawTick(benchmark::State& state) {
  TMap map(35);
  BuildStressLevel(map, static_cast<int>(state.range(0)));
  RawStressWorld raw(map);
  for (auto _ : state) raw.Tick();
}

BENCHMARK(BM_GameTick)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(kTicks)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawTick)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Iterations(kTicks)->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

std::string TempLevel(const char* name) { return std::string("/tmp/bench-") + std::to_string(getpid()) + "-" + name; }

void BuildFileLevel(TMap& map) {
  // 200 records: the stress level's 150 objects and 50 ropes.
  BuildStressLevel(map, 1);
}

void BM_Save200(benchmark::State& state) {
  TMap map(35);
  BuildFileLevel(map);
  std::string file = TempLevel("save.map");
  for (auto _ : state) benchmark::DoNotOptimize(map.Save(file));
  unlink(file.c_str());
}

void BM_Load200(benchmark::State& state) {
  TMap map(35);
  BuildFileLevel(map);
  std::string file = TempLevel("load.map");
  map.Save(file);
  for (auto _ : state) benchmark::DoNotOptimize(map.Load(file));
  unlink(file.c_str());
}

BENCHMARK(BM_Save200)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load200)->Unit(benchmark::kMicrosecond);

long ResidentKb() {
  std::ifstream f("/proc/self/statm");
  long size = 0, resident = 0;
  f >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Memory over many play/stop cycles of the stress level: what one cycle leaves
// behind shows as growth between the 100th and the last cycle.
void BM_PlayStopCycles(benchmark::State& state) {
  TMap map(35);
  BuildStressLevel(map, 1);
  long after100 = 0, last = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; i++) {
      map.Play();
      map.Step();
      map.Playing = false;
      if (i == 99) after100 = ResidentKb();
    }
    last = ResidentKb();
  }
  state.counters["rss_kb_after_100"] = static_cast<double>(after100);
  state.counters["rss_kb_after_1000"] = static_cast<double>(last);
  state.counters["growth_kb"] = static_cast<double>(last - after100);
}
BENCHMARK(BM_PlayStopCycles)->Iterations(1)->Unit(benchmark::kMillisecond);

class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ms;  // mean real time per iteration in ms, by run name
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "mean") continue;
      double t = r.GetAdjustedRealTime();
      switch (r.time_unit) {
        case benchmark::kNanosecond: t /= 1e6; break;
        case benchmark::kMicrosecond: t /= 1e3; break;
        case benchmark::kSecond: t *= 1e3; break;
        default: break;
      }
      ms[r.run_name.str()] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

// Peak resident memory of the level runner on the stress level, in MB.
double LevelsimPeakMb() {
  TMap map(35);
  BuildStressLevel(map, 1);
  std::string file = TempLevel("stress.map");
  if (!map.Save(file)) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    FILE* null = fopen("/dev/null", "w");
    dup2(fileno(null), 1);
    dup2(fileno(null), 2);
    execl(BIN_DIR "/levelsim", "levelsim", file.c_str(), "--ticks", "600", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  unlink(file.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  BindNullEngine();
  LoadGuiResources();
  // --write-stress FILE: only saves the stress level there (for the game's own memory run).
  if (argc == 3 && std::string(argv[1]) == "--write-stress") {
    QuietStdout quiet;
    TMap map(35);
    BuildStressLevel(map, 1);
    return map.Save(argv[2]) ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  Collector reporter;
  // The table goes to the real standard output, opened anew before it is muted.
  std::ofstream out("/dev/stdout", std::ios::app);
  if (out) reporter.SetOutputStream(&out);
  {
    QuietStdout quiet;
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }
  double game = reporter.ms["BM_GameTick/1/iterations:600/repeats:3"];
  double raw = reporter.ms["BM_RawTick/1/iterations:600/repeats:3"];
  double ratio = raw > 0 ? game / raw : 0;
  printf("\nscaling (ms per tick, game / raw):\n");
  for (int k : {1, 2, 4, 8}) {
    std::string suffix = "/" + std::to_string(k) + "/iterations:600/repeats:3";
    double g = reporter.ms["BM_GameTick" + suffix], r = reporter.ms["BM_RawTick" + suffix];
    printf("  x%d: %.3f / %.3f  ratio %.3f\n", k, g, r, r > 0 ? g / r : 0);
  }
  double rss;
  {
    QuietStdout quiet;
    rss = LevelsimPeakMb();
  }
  const char* frame = getenv("FRAME_MS");
  printf("tick_ratio=%.3f frame_ms=%s peak_rss_mb=%.1f\n", ratio, frame ? frame : "n/a", rss);
  return 0;
}
