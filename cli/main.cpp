// lumtar-cli: charts and calendar facts from the command line, over the same
// engine as the desktop program.
#include <cerrno>
#include <clocale>
#include <cstring>
#include <iostream>
#include <string_view>

#include "clicommon.h"
#include "datafolders.h"
#include "script.h"

namespace {

// Standard output is flushed; output that could not be written (a full
// disk, a closed or full pipe) is a failure, not a success.
int Finish(int status) {
  errno = 0;
  std::cout.flush();
  if (std::cout) return status;
  const int error = errno;
  std::cerr << "lumtar-cli: cannot write the output" << (error ? std::string(": ") + std::strerror(error) : "")
            << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_NUMERIC, "C");
  std::ios::sync_with_stdio(false);
  // The program folder of the tool's layout (datafolders.h), unless
  // --program-dir names one.
  bool named = false;
  for (int i = 1; i < argc; ++i) named = named || std::string_view(argv[i]).starts_with("--program-dir");
  if (!named) lumtar::UseDataFolders();
  // Traditional characters for every text the tool prints, set before any
  // command runs (the option may stand before or after the command).
  for (int i = 1; i < argc; ++i)
    if (std::string_view(argv[i]) == "--traditional") lumtar::SetScript(lumtar::Script::Traditional);
  CLI::App app{"Lumtar command-line tool", "lumtar-cli"};
  app.require_subcommand(1);
  app.fallthrough();
  app.add_flag("--traditional")->description("print names, dates and messages in traditional characters (繁體)");
  for (auto& install : lumtar::cli::Installers()) install(app);

  const std::string usage = "usage: lumtar-cli COMMAND [OPTIONS] (lumtar-cli --help lists the commands)";
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << usage << "\n" << lumtar::cli::Shown(e.what()) << "\n";
    return 2;
  } catch (const lumtar::cli::UsageError& e) {
    std::cerr << usage << "\n" << e.what() << "\n";
    return 2;
  } catch (const lumtar::cli::CommandError& e) {
    Finish(1);
    std::cerr << lumtar::TextInScript(e.what()) << "\n";
    return 1;
  } catch (const std::exception& e) {
    Finish(1);
    std::cerr << lumtar::TextInScript(e.what()) << "\n";
    return 1;
  }
  return Finish(0);
}
