// orvane-machine: lays out an emulated machine for orvanectl's `machine
// init`, on the machine ORVANE_MACHINE names. It is a program of its own
// because the layout comes from the test helpers, which use the library's
// interior; orvanectl itself uses only the library's exported interface.
//
//   orvane-machine [--sample] [--level 1|2|3] [--payment] [--hosting]
//                  [--personalization]
#include <CLI/CLI.hpp>

#include <iostream>

#include "MachineLayout.h"

int main(int argc, char** argv) {
  orvanectl::MachineOptions options;
  CLI::App app{"Lays out an emulated machine (ORVANE_MACHINE)", "orvane-machine"};
  app.add_flag("--sample", options.sample, "with a complete installation");
  app.add_option("--level", options.level, "product level of an older installation to add")
      ->check(CLI::Range(1, 3));
  app.add_flag("--payment", options.payment, "with the payment server");
  app.add_flag("--hosting", options.hosting, "with the hosting edition");
  app.add_flag("--personalization", options.personalization, "with the personalization add-on");
  CLI11_PARSE(app, argc, argv);
  std::string error;
  if (!orvanectl::LayOutMachine(options, &error)) {
    std::cerr << "orvane-machine: " << error << std::endl;
    return 1;
  }
  return 0;
}
