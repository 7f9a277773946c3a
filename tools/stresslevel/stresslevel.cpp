// stresslevel: saves the generated stress level (150 objects and 50 ropes per
// copy) as a level file.
//
//   stresslevel OUT.map [COPIES]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "StressLevel.h"
#include "level/uMap.h"
#include "shell/uNullEngine.h"
#include "toolkit/uMeForm.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: stresslevel OUT.map [COPIES]\n");
    return 2;
  }
  int copies = 1;
  if (argc == 3) {
    char* end = nullptr;
    const long n = std::strtol(argv[2], &end, 10);
    if (*end != '\0' || n < 1 || n > 16) {
      std::fprintf(stderr, "stresslevel: COPIES is a whole number from 1 to 16\n");
      return 2;
    }
    copies = static_cast<int>(n);
  }
  // The map's trace lines are of no use here.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) std::perror("stresslevel: /dev/null");
  BindNullEngine();
  LoadGuiResources();
  TMap map(35);
  BuildStressLevel(map, copies);
  return map.Save(argv[1]) ? 0 : 1;  // Save reports its own failure
}
