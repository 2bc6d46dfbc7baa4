#include "cli/cli_options.h"

namespace sorvane::cli {

const char* const kUsage =
    "Usage:\n"
    "  sorvane-cli --find TEXT [--replace TEXT] [--ignore-case] [--dry-run] [--stop-on-error] FILE...\n"
    "  sorvane-cli --find TEXT [--replace TEXT] [--ignore-case] [--dry-run] [--stop-on-error]\n"
    "              --folder DIR [--type TYPE] [--recursive]\n"
    "\n"
    "Replaces every occurrence of TEXT in each FILE, or in the files of DIR of the given type\n"
    "(\"All Files (*.*)\", \"HTML Files (*.htm, *.html)\", \"JavaScript Files (*.js)\",\n"
    "\"Text Files (*.txt)\"), rewriting each file in place. Matching is case-sensitive unless\n"
    "--ignore-case is given. --dry-run counts without writing. A failing file is reported and\n"
    "skipped, or ends the run with --stop-on-error. \"--\" ends the options.\n"
    "\n"
    "Exit status: 0 every file done, 1 a file failed or the run was stopped, 2 usage error.\n";

std::optional<CliOptions> parseArguments(const std::vector<std::string>& arguments, std::string& error) {
  CliOptions options;
  bool haveFind = false;
  bool haveType = false;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      options.files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (const auto equals = argument.find('='); equals != std::string::npos) {
      inlineValue = argument.substr(equals + 1);
      argument.resize(equals);
    }
    auto value = [&](std::string& into) {
      if (inlineValue) {
        into = *inlineValue;
        return true;
      }
      if (i + 1 >= arguments.size()) {
        error = argument + " needs a value";
        return false;
      }
      into = arguments[++i];
      return true;
    };
    auto flag = [&](bool& into) {
      if (inlineValue) {
        error = argument + " takes no value";
        return false;
      }
      into = true;
      return true;
    };

    bool ok = true;
    if (argument == "--find") {
      ok = value(options.find);
      haveFind = true;
    } else if (argument == "--replace") {
      ok = value(options.replace);
    } else if (argument == "--folder") {
      std::string folder;
      ok = value(folder);
      options.folder = folder;
    } else if (argument == "--type") {
      ok = value(options.fileType);
      haveType = true;
    } else if (argument == "--ignore-case") {
      ok = flag(options.ignoreCase);
    } else if (argument == "--dry-run") {
      ok = flag(options.dryRun);
    } else if (argument == "--stop-on-error") {
      ok = flag(options.stopOnError);
    } else if (argument == "--recursive") {
      ok = flag(options.recursive);
    } else if (argument == "--help") {
      ok = flag(options.help);
    } else {
      error = "unknown option " + argument;
      ok = false;
    }
    if (!ok) return std::nullopt;
  }

  if (options.help) return options;
  if (!haveFind) error = "--find is required";
  else if (options.folder && !options.files.empty()) error = "give either FILE... or --folder, not both";
  else if (!options.folder && options.files.empty()) error = "no FILE and no --folder given";
  else if (!options.folder && (haveType || options.recursive)) error = "--type and --recursive go with --folder";
  if (!error.empty()) return std::nullopt;
  return options;
}

}  // namespace sorvane::cli
