// lumtar-cli places: finding a birth place in the Chinese province and city
// list and the world atlas.
#include <iostream>
#include <memory>

#include "cmd_chart.h"

namespace lumtar::cli {
namespace {

constexpr size_t kMostPlaces = 50;

const RegisterCommands registerPlaces([](CLI::App& app) {
  CLI::App* places = app.add_subcommand("places", "the place lists: Chinese provinces and cities, the world atlas");
  places->require_subcommand(1);
  auto text = std::make_shared<std::string>();
  CLI::App* search = places->add_subcommand(
      "search", "places whose Chinese or Latin name holds TEXT (or COUNTRY/NAME, PROVINCE/NAME), best first");
  AddProgramDirOption(search);
  search->add_option("TEXT", *text, "the name or part of it")->required();
  search->callback([text] {
    for (const Place& p : ProgramPlaces().Search(*text, kMostPlaces)) std::cout << PlaceLine(p) << '\n';
  });
});

}  // namespace
}  // namespace lumtar::cli
