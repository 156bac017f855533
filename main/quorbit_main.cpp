#include <cstdio>

int main() {
  std::fputs("quorbit: the main window is not built yet; only the runner norcel works so far.\n",
             stderr);
  return 1;
}
