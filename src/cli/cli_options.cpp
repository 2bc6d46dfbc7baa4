#include "cli/cli_options.h"

#include "engine/run/replace_run.h"
#include "engine/text/encoded_terms.h"
#include "vocabulary/vocabulary.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvane::cli {
namespace {

// Short names of the file types, in the order of their texts.
constexpr std::array<const char*, kFileTypes.size()> kShortTypeNames = {"all", "html", "js", "txt"};
constexpr std::array<const char*, 7> kValueOptions = {"--find", "--replace", "--folder", "--type", "--glob", "--jobs",
                                                      "--color"};

bool isShortName(const std::string& given, const std::string& lowercaseName) {
  return std::equal(given.begin(), given.end(), lowercaseName.begin(), lowercaseName.end(),
                    [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) == y; });
}

std::optional<std::string> typeText(const std::string& given) {
  for (std::size_t i = 0; i < kFileTypes.size(); ++i) {
    if (given == kFileTypes[i].caption || isShortName(given, kShortTypeNames[i])) return kFileTypes[i].caption;
  }
  return std::nullopt;
}

std::string unknownTypeError(const std::string& given) {
  std::string error = "unknown --type '" + given + "'; the types are";
  for (std::size_t i = 0; i < kFileTypes.size(); ++i)
    error += std::string(i == 0 ? " " : ", ") + "\"" + kFileTypes[i].caption + "\" (" + kShortTypeNames[i] + ")";
  return error;
}

// CLI11 reads "--replace=" as "--replace" still waiting for its value, and would take the next
// argument; here it is the empty text, as "--replace ''" is. Arguments are handed on reversed,
// the order CLI11 consumes them in.
std::vector<std::string> reversedWithEmptyValuesSplit(const std::vector<std::string>& arguments) {
  std::vector<std::string> out;
  bool optionsEnded = false;
  bool valueNext = false;
  for (const std::string& argument : arguments) {
    const bool isValue = valueNext || optionsEnded;
    valueNext = !isValue && std::find(kValueOptions.begin(), kValueOptions.end(), argument) != kValueOptions.end();
    optionsEnded = optionsEnded || (!isValue && argument == "--");
    const auto option = std::find_if(kValueOptions.begin(), kValueOptions.end(),
                                     [&](const char* name) { return argument == std::string(name) + "="; });
    if (!isValue && option != kValueOptions.end()) {
      out.emplace_back(*option);
      out.emplace_back();
    } else {
      out.push_back(argument);
    }
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// More threads than any machine needs.
constexpr int kMostJobs = 1024;

// A number of threads: digits only, from 1 to kMostJobs.
std::optional<int> jobCount(const std::string& given) {
  int count = 0;
  const auto [end, error] = std::from_chars(given.data(), given.data() + given.size(), count);
  if (error != std::errc() || end != given.data() + given.size() || count < 1 || count > kMostJobs) return std::nullopt;
  return count;
}

std::optional<ColorChoice> colorChoice(const std::string& given) {
  if (given == "auto") return ColorChoice::Auto;
  if (given == "always") return ColorChoice::Always;
  if (given == "never") return ColorChoice::Never;
  return std::nullopt;
}

std::string folderError(const std::string& folder) {
  if (folder.empty()) return "--folder needs a folder name";
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) {
    // Any other failure (no access) is the run's to report, with the folder it met it in.
    if (errno == ENOENT || errno == ENOTDIR) return "--folder '" + folder + "': no such folder";
    return {};
  }
  return S_ISDIR(st.st_mode) ? std::string() : "--folder '" + folder + "' is not a folder";
}

std::string usageError(const CliOptions& options, bool haveFind, bool haveFolderOnly, bool haveColor) {
  if (!haveFind) return "--find is required";
  if (options.find.empty()) return "--find needs a text to find";
  if (options.find.find('\r') != std::string::npos)
    return "--find holds a carriage return, but a term cannot span a line end: files are read as lines, "
           "and CR LF or CR alone ends a line (a line feed alone is ordinary text)";
  if (options.folder && !options.files.empty()) return "give either FILE... or --folder, not both";
  if (!options.folder && options.files.empty()) return "no FILE and no --folder given";
  if (!options.folder && haveFolderOnly) return "--type, --glob, --binary and --recursive go with --folder";
  if (haveColor && !options.preview) return "--color goes with --preview";
  if (options.folder) return folderError(*options.folder);
  return {};
}

// --undo and --history stand alone; a dry run of --undo is the one combination.
std::string journalCommandError(const CLI::App& app, const CliOptions& options) {
  const std::string command = options.undo ? "--undo" : "--history";
  for (const CLI::Option* option : app.get_options()) {
    const std::string name = option->get_name();
    if (option->count() == 0 || name == command || (options.undo && name == "--dry-run")) continue;
    return command + " cannot go with " + (name == "FILE" ? std::string("FILE") : name);
  }
  return {};
}

}  // namespace

const char* const kUsage =
    "Usage:\n"
    "  sorvane-cli --find TEXT [--replace TEXT] [--ignore-case] [--regex] [--word]\n"
    "              [--dry-run | --preview [--color WHEN]]\n"
    "              [--list] [--stop-on-error] [--no-undo] [--no-progress] [--jobs N] FILE...\n"
    "  sorvane-cli --find TEXT [--replace TEXT] [--ignore-case] [--regex] [--word]\n"
    "              [--dry-run | --preview [--color WHEN]]\n"
    "              [--list] [--stop-on-error] [--no-undo] [--no-progress] [--jobs N]\n"
    "              --folder DIR [--type TYPE] [--glob MASK]... [--binary] [--recursive]\n"
    "  sorvane-cli --undo [--dry-run] | --history\n"
    "  sorvane-cli --help | --version\n"
    "\n"
    "Replaces every occurrence of TEXT in each FILE, or in the files of DIR of the given type\n"
    "(\"All Files (*.*)\", \"HTML Files (*.htm, *.html)\", \"JavaScript Files (*.js)\",\n"
    "\"Text Files (*.txt)\", or for short all, html, js, txt), rewriting each file in place.\n"
    "A name that, its symbolic links followed, is the same entry of the same folder as an\n"
    "earlier one is done once; a second hard link is a name of its own, and is rewritten too.\n"
    "--glob MASK (repeatable) takes, of the files of the type, those a mask names: * and ? as\n"
    "in the types, letter case ignored; \"!\" before a mask leaves its files out, and a mask\n"
    "ending in \"/\" names folders the run does not enter, at any depth (\"!*.min.js\",\n"
    "\"!node_modules/\"). With no including mask every file of the type is taken. A mask holding\n"
    "\"/\" elsewhere, or a lone \"!\", is a usage error. A folder run passes over files that\n"
    "look binary (a NUL byte in the first block read, unless a UTF-16 or UTF-32 byte order\n"
    "mark opens them), and says how many on standard error with --dry-run, --list or\n"
    "--preview; --binary takes them as text. Files named as FILE are always done.\n"
    "Matching is case-sensitive unless --ignore-case is given. TEXT cannot span a line end, so\n"
    "it holds no carriage return (a line feed alone is ordinary text).\n"
    "-E, --regex reads TEXT as a regular expression (Perl's syntax, Unicode-aware) and the\n"
    "replacement as a template: $1 to $99, ${1} or ${name} for a group, $0 for the whole match,\n"
    "$$ for a dollar; \\U and \\L upper- and lower-case up to \\E, \\u and \\l the next character;\n"
    "\\\\, \\n, \\t and \\r. Patterns match within a line: ^ and $ are its start and end, and no\n"
    "match holds a carriage return. -w, --word counts only whole words: no letter, mark, digit or\n"
    "_ right before or after. A bad pattern or template is a usage error. --dry-run counts without\n"
    "writing. --list prints \"PATH: N\" for each file that holds TEXT. --preview shows what a run\n"
    "would change and writes nothing: for each file that holds TEXT its path (\"PATH: N\" with\n"
    "--list), then each line that holds it, as \"N-: \" and the line as it is, and as \"N+: \" and\n"
    "the line as it will be (N its number there; lines end at LF, CR LF or CR). Long lines are cut\n"
    "around their occurrences, and bytes that are not text and control characters are shown as\n"
    "\\xNN. --color WHEN (auto, always or never; auto when standard output is a terminal) marks\n"
    "occurrences in red, replacements in green and paths in magenta. A file that fails, or a\n"
    "folder that cannot be listed, is reported on standard error as\n"
    "\"sorvane-cli: PATH: DESCRIPTION (error N)\" and skipped; --stop-on-error ends the run at the\n"
    "first failing file. --jobs N rewrites files on N threads (by default one per processor); the\n"
    "files, the lines printed and their order are those of --jobs 1, the serial run. When\n"
    "standard error is a terminal, a run that lasts more than a second keeps one line of progress\n"
    "on it, erased before the report; --no-progress leaves it out. \"--\" ends the options.\n"
    "\n"
    "Every run that rewrites a file keeps the originals in $XDG_STATE_HOME/sorvane/runs (by default\n"
    "~/.local/state/sorvane/runs), the last 10 runs within 1 GiB; --no-undo keeps nothing. --undo\n"
    "takes back the newest run not taken back yet, restoring each file that is still as the run\n"
    "left it and naming on standard error those changed since; a file left for a reason that may\n"
    "pass (no space, no permission) is tried once more by the next --undo. With --dry-run it only\n"
    "says what it would do. --history lists the kept runs, newest first.\n"
    "\n"
    "Exit status: 0 every file done, 1 a file or folder failed or the run was stopped, 2 usage error.\n"
    "--undo: 0 every file restored, 1 a file left alone or nothing to undo.\n";

std::optional<CliOptions> parseArguments(const std::vector<std::string>& arguments, std::string& error) {
  CliOptions options;
  std::string folder;
  CLI::App app;
  app.set_help_flag();  // the help is ours, below
  // The last of a repeated option wins, and a flag takes no value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->disable_flag_override();
  const CLI::Option* find = app.add_option("--find", options.find);
  app.add_option("--replace", options.replace);
  const CLI::Option* folderOption = app.add_option("--folder", folder);
  std::string type = options.fileType;
  const CLI::Option* typeOption = app.add_option("--type", type);
  std::vector<std::string> globs;
  const CLI::Option* globOption =
      app.add_option("--glob", globs)->allow_extra_args(false)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  std::string jobs;
  const CLI::Option* jobsOption = app.add_option("--jobs", jobs);
  app.add_flag("--ignore-case", options.ignoreCase);
  app.add_flag("-E,--regex", options.regex);
  app.add_flag("-w,--word", options.word);
  app.add_flag("--dry-run", options.dryRun);
  app.add_flag("--preview", options.preview);
  std::string color = "auto";
  const CLI::Option* colorOption = app.add_option("--color", color);
  app.add_flag("--list", options.list);
  app.add_flag("--stop-on-error", options.stopOnError);
  app.add_flag("--recursive", options.recursive);
  app.add_flag("--binary", options.binary);
  app.add_flag("--no-undo", options.noUndo);
  app.add_flag("--no-progress", options.noProgress);
  app.add_flag("--undo", options.undo);
  app.add_flag("--history", options.history);
  app.add_flag("--help", options.help);
  app.add_flag("--version", options.version);
  app.add_option("FILE", options.files);

  try {
    app.parse(reversedWithEmptyValuesSplit(arguments));
  } catch (const CLI::ParseError& parseError) {
    error = parseError.what();
    return std::nullopt;
  }
  if (options.help || options.version) return options;
  if (options.undo || options.history) {
    error = journalCommandError(app, options);
    if (!error.empty()) return std::nullopt;
    return options;
  }
  if (folderOption->count() > 0) options.folder = folder;
  options.jobs = onlineProcessors();
  if (jobsOption->count() > 0) {
    const auto count = jobCount(jobs);
    if (!count) {
      error = "--jobs needs a number of threads from 1 to " + std::to_string(kMostJobs) + ", not '" + jobs + "'";
      return std::nullopt;
    }
    options.jobs = *count;
  }

  const auto chosenColor = colorChoice(color);
  if (!chosenColor) {
    error = "--color needs auto, always or never, not '" + color + "'";
    return std::nullopt;
  }
  options.color = *chosenColor;
  options.dryRun = options.dryRun || options.preview;  // a preview writes nothing

  const bool haveFolderOnly =
      typeOption->count() > 0 || globOption->count() > 0 || options.binary || options.recursive;
  error = usageError(options, find->count() > 0, haveFolderOnly, colorOption->count() > 0);
  if (!error.empty()) return std::nullopt;
  for (const std::string& glob : globs) {
    if (const auto fault = options.masks.add(glob)) {
      error = "--glob: " + fault->message();
      return std::nullopt;
    }
  }
  // A pattern or template that cannot be used is refused before any file is read.
  if (options.regex || options.word) {
    const EncodedTerms terms(options.searchTerms());
    if (const auto& fault = terms.fault()) {
      error = (fault->inReplace ? "--replace: " : "--find: ") + fault->error.described();
      return std::nullopt;
    }
  }
  if (const auto text = typeText(type)) {
    options.fileType = *text;
    return options;
  }
  error = unknownTypeError(type);
  return std::nullopt;
}

}  // namespace sorvane::cli
