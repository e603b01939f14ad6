// lumtar-cli batch: charts in bulk. One JSON request a line in, one chart
// JSON a line out, in order, on one engine that stays warm between lines.
//
// A request's keys are the chart options without their dashes ("date",
// "female", "lon", "atZone" for --at-zone …); "at" asks for an annual chart.
// Each line is read by the very options and code of `chart --json` (or
// `annual --json`), so a line gives what that command prints, or
// {"error": …} with the message the command would end with.
#include <algorithm>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

#include "batch.h"
#include "cmd_chart.h"
#include "files.h"
#include "script.h"

namespace lumtar::cli {
namespace {

using json = nlohmann::ordered_json;

// "atZone" → "at-zone": the option a key names.
std::string OptionOfKey(const std::string& key) {
  std::string name = "--";
  const size_t first = key.find_first_not_of('-');
  for (size_t i = first == std::string::npos ? key.size() : first; i < key.size(); ++i) {
    const char c = key[i];
    if (c >= 'A' && c <= 'Z') {
      name += '-';
      name += static_cast<char>(c - 'A' + 'a');
    } else {
      name += c;
    }
  }
  return name;
}

std::string ValueText(const json& v) {
  if (v.is_string()) return v.get<std::string>();
  return v.dump();
}

// The command line a request stands for, the option names and their values
// as they would be typed: a true flag alone, a false flag or a null left out,
// an array as its values one after the other; "at" takes the date and the
// time of one text.
std::vector<std::string> ArgumentsOf(const json& request, bool* annual) {
  if (!request.is_object()) throw UsageError("a request is one JSON object a line");
  std::vector<std::string> args;
  *annual = false;
  for (const auto& [key, value] : request.items()) {
    const std::string option = OptionOfKey(key);
    if (option == "--at") *annual = true;
    if (value.is_null() || (value.is_boolean() && !value.get<bool>())) continue;
    if (value.is_boolean()) {
      args.push_back(option);
    } else if (value.is_array()) {
      args.push_back(option);
      for (const json& v : value) {
        if (v.is_structured()) throw UsageError("bad value of \"" + Shown(key) + "\"");
        args.push_back(ValueText(v));
      }
    } else if (value.is_object()) {
      throw UsageError("bad value of \"" + Shown(key) + "\"");
    } else if (option == "--at") {
      args.push_back(option);
      std::istringstream words(ValueText(value));
      for (std::string w; words >> w;) args.push_back(w);
    } else {
      const std::string text = ValueText(value);
      // A value beginning with '-' (a western longitude) goes with its
      // option in one argument, where it cannot be taken for an option.
      if (!text.empty() && text[0] == '-') {
        args.push_back(option + "=" + text);
      } else {
        args.push_back(option);
        args.push_back(text);
      }
    }
  }
  return args;
}

// The output line of one request line.
std::string ChartLine(CVoVirer& engine, const std::string& line) {
  try {
    json request = json::parse(line, nullptr, false);
    if (line.find_first_not_of(" \t") == std::string::npos) throw UsageError("empty line");
    if (request.is_discarded()) throw UsageError("not JSON: " + Shown(line));
    bool annual = false;
    std::vector<std::string> args = ArgumentsOf(request, &annual);
    // The options of the command the line stands for, as that command reads
    // them.
    CLI::App parser{"", annual ? "annual" : "chart"};
    ChartOptions options;
    AnnualOptions at;
    AddChartOptions(&parser, options);
    if (annual) AddAnnualOptions(&parser, at);
    std::reverse(args.begin(), args.end());
    parser.parse(args);
    if (annual) {
      RunAnnual(engine, options, at);
      return AnnualChartJson(engine, options).dump();
    }
    RunChart(engine, options);
    return NatalChartJson(engine, RequestOf(options)).dump();
  } catch (const CLI::CallForHelp&) {
    return json{{"error", "no help in a batch line"}}.dump();
  } catch (const CLI::CallForAllHelp&) {
    return json{{"error", "no help in a batch line"}}.dump();
  } catch (const CLI::ParseError& e) {
    // The parser quotes the values it refuses, however long.
    return json{{"error", Shown(e.what())}}.dump(-1, ' ', false, json::error_handler_t::replace);
  } catch (const std::exception& e) {
    return json{{"error", std::string(InScript(std::string_view(e.what())))}}.dump(-1, ' ', false,
                                                                          json::error_handler_t::replace);
  }
}

const RegisterCommands registerBatch([](CLI::App& app) {
  auto file = std::make_shared<std::string>("-");
  CLI::App* cmd = app.add_subcommand(
      "batch", "charts in bulk: one JSON request a line in (keys: the chart options without dashes; \"at\" for an "
               "annual chart), one chart JSON or {\"error\": ...} a line out, in order");
  AddProgramDirOption(cmd);
  cmd->add_option("FILE", *file, "the requests (default -, standard input)");
  cmd->callback([file] {
    if (*file == "-") {
      RunBatch(std::cin, std::cout);
      return;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) throw CommandError("cannot read " + Shown(*file));
    RunBatch(in, std::cout);
  });
});

}  // namespace

void RunBatch(std::istream& in, std::ostream& out) {
  // A line may name another program folder; the next starts from this one.
  const std::string programDir = ProgramDir();
  CVoVirer engine;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    SetProgramDir(programDir);
    out << ChartLine(engine, line) << '\n';
    out.flush();  // a script may wait for each answer
  }
  SetProgramDir(programDir);
  if (in.bad()) throw CommandError("cannot read the requests");
}

}  // namespace lumtar::cli
