// Feeds arbitrary bytes to the level loader, then draws and plays what it
// loaded for a few ticks, with the recording fake engine in place.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "level/uMap.h"
#include "level/uMapFile.h"
#include "tests/fake/FakeEngine.h"

namespace {

// Trace lines would flood the fuzzer's output.
void SilenceStdout() {
  static bool done = false;
  if (done) return;
  done = true;
  std::fflush(stdout);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::perror("fuzz_load: /dev/null");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SilenceStdout();
  static FakeEngine* engine = new FakeEngine();
  static TMap* map = new TMap(35);
  // The fake keeps every draw call it sees; one input's calls are enough.
  engine->ClearCalls();
  LoadLevelBytes(*map, std::vector<uint8_t>(data, data + size));
  map->Draw();
  // Playing a few ticks exercises bodies, ropes and beams built from the loaded records.
  map->Play();
  for (int i = 0; i < 3; ++i) map->Step();
  map->Draw();
  map->Playing = false;
  return 0;
}
