// Stands in for a browser: appends its command line to the file named by
// BRINDALE_WEBLABEL_LOG.
#include <windows.h>

#include <cstdio>

int main() {
  char path[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("BRINDALE_WEBLABEL_LOG", path, sizeof path)) return 1;
  FILE* f = std::fopen(path, "a");
  if (!f) return 1;
  std::fprintf(f, "%s\n", GetCommandLineA());
  std::fclose(f);
  return 0;
}
