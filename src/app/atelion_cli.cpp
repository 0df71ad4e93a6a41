// atelion-cli: the scriptable command line.
#include <cstdio>

int main(int argc, char** argv) {
  std::fprintf(stderr, "usage: atelion-cli convert IN OUT\n");
  return 2;
}
