// The batch runner without the desktop: `zavin-batch ARGS` is `zavin batch ARGS`.

#include <iostream>
#include <string>
#include <vector>

#include "app/batch.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "batch") args.erase(args.begin());
  return zavin::app::BatchMain(args, std::cout, std::cerr);
}
