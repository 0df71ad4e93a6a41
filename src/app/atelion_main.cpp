// atelion: the desktop program. Its first argument may also ask for the silent conversion,
// which runs before anything graphical is touched, so it works without a display.
#include <cstdio>
#include <string>
#include <vector>

#include "document/conversion.h"
#include "document/silent_conversion.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && arguments[0] == "-silent") {
    return atelion::RunSilentConversion(std::span(arguments).subspan(1), stderr);
  }
  std::fprintf(stderr,
               "atelion: the desktop window is not part of this version yet.\n"
               "Convert pictures with: atelion -silent SRC OUT STYLE P1 P2 P3 P4 P5 SOFTEN FRAME TEXTURE TILE\n"
               "or with atelion-cli (see atelion-cli --help).\n");
  return atelion::kExitBadArguments;
}
