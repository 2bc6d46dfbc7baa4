#include "journal/manifest.h"

#include <algorithm>
#include <charconv>

namespace sorvane::journal {
namespace {

constexpr std::string_view kMagic = "sorvane-journal 2";
// Its runs have no placed lines: every file recorded before the end took its place.
constexpr std::string_view kFirstMagic = "sorvane-journal 1";
constexpr std::string_view kEmptyText = "%";
constexpr std::string_view kHex = "0123456789ABCDEF";

std::string escaped(std::string_view bytes) {
  if (bytes.empty()) return std::string(kEmptyText);
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > ' ' && byte < 0x7F && byte != '%') {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

std::optional<std::string> unescaped(std::string_view field) {
  if (field == kEmptyText) return std::string();
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '%') {
      out += field[i];
      continue;
    }
    if (i + 2 >= field.size()) return std::nullopt;
    const auto high = kHex.find(field[i + 1]), low = kHex.find(field[i + 2]);
    if (high == std::string_view::npos || low == std::string_view::npos) return std::nullopt;
    out += static_cast<char>(high << 4 | low);
    i += 2;
  }
  return out;
}

std::string timeField(const timespec& t) { return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec); }

const char* keptName(Kept kept) {
  switch (kept) {
    case Kept::Link:
      return "link";
    case Kept::Copy:
      return "copy";
    case Kept::None:
      break;
  }
  return "none";
}

// Reads the blank-separated fields of one line, each checked as it is taken.
class Fields {
 public:
  explicit Fields(std::string_view line) : rest_(line) {}

  std::optional<std::string_view> next() {
    if (rest_.empty()) return std::nullopt;
    const auto blank = rest_.find(' ');
    const std::string_view field = rest_.substr(0, blank);
    rest_ = blank == std::string_view::npos ? std::string_view() : rest_.substr(blank + 1);
    if (field.empty()) return std::nullopt;
    return field;
  }

  template <typename Number>
  bool number(Number& value, int base = 10) {
    const auto field = next();
    if (!field) return false;
    const auto [end, error] = std::from_chars(field->data(), field->data() + field->size(), value, base);
    return error == std::errc() && end == field->data() + field->size();
  }

  bool compareMode(CompareMode& value) {
    int number = -1;
    if (!this->number(number)) return false;
    if (number != static_cast<int>(CompareMode::Binary) && number != static_cast<int>(CompareMode::Text)) return false;
    value = static_cast<CompareMode>(number);
    return true;
  }

  bool text(std::string& value) {
    const auto field = next();
    if (!field) return false;
    auto decoded = unescaped(*field);
    if (!decoded) return false;
    value = std::move(*decoded);
    return true;
  }

  bool time(timespec& value) {
    const auto field = next();
    if (!field) return false;
    const char* end = field->data() + field->size();
    const auto seconds = std::from_chars(field->data(), end, value.tv_sec);
    if (seconds.ec != std::errc() || seconds.ptr == end || *seconds.ptr != '.') return false;
    const auto nanoseconds = std::from_chars(seconds.ptr + 1, end, value.tv_nsec);
    return nanoseconds.ec == std::errc() && nanoseconds.ptr == end && value.tv_nsec >= 0 && value.tv_nsec < 1000000000;
  }

  bool done() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

bool parseKept(std::string_view field, Kept& kept) {
  for (const Kept candidate : {Kept::Link, Kept::Copy, Kept::None}) {
    if (field == keptName(candidate)) {
      kept = candidate;
      return true;
    }
  }
  return false;
}

bool parseFile(Fields& fields, FileRecord& file) {
  std::optional<std::string_view> kept;
  FileFingerprint& w = file.written;
  return fields.number(file.index) && file.index > 0 && fields.text(file.path) && isPlainAbsolutePath(file.path) &&
         (kept = fields.next()) && parseKept(*kept, file.kept) && fields.number(file.size) &&
         fields.number(file.mode, 8) && fields.number(file.owner) && fields.number(file.group) &&
         fields.time(file.modified) && fields.number(file.keptBytes) && fields.number(w.device) &&
         fields.number(w.inode) && fields.number(w.size) && fields.time(w.modified) && fields.done();
}

bool parseRunLine(std::string_view line, RunRecord& run) {
  Fields fields(line);
  if (!(fields.next() == "run" && fields.time(run.started) && fields.text(run.frontEnd) && fields.text(run.find) &&
        fields.text(run.replace) && fields.compareMode(run.compareMode)))
    return false;
  // How the find text was read; a run written before patterns has no such field.
  if (fields.done()) return true;
  const auto how = fields.next();
  run.pattern = how == "pattern" || how == "pattern+word";
  run.wholeWord = how == "word" || how == "pattern+word";
  return (run.pattern || run.wholeWord) && fields.done();
}

// Where record `index` is, or belongs, among the records: they are kept in the order of their
// numbers, which is the order they are written in.
std::vector<FileRecord>::iterator numbered(std::vector<FileRecord>& files, int index) {
  return std::lower_bound(files.begin(), files.end(), index,
                          [](const FileRecord& file, int wanted) { return file.index < wanted; });
}

bool parseRecordLine(std::string_view line, RunRecord& run) {
  Fields fields(line);
  const auto kind = fields.next();
  if (kind == "file") {
    FileRecord file;
    if (!parseFile(fields, file)) return false;
    // A record written again is a retried file's later attempt, which takes the earlier's place.
    const auto at = numbered(run.files, file.index);
    if (at != run.files.end() && at->index == file.index)
      *at = std::move(file);
    else
      run.files.insert(at, std::move(file));
    return true;
  }
  if (kind == "end") {
    std::int64_t replacements = 0;
    if (!fields.number(replacements)) return false;
    // An end line written before the files were counted has no count.
    if (!fields.done()) {
      std::int64_t filesReplaced = 0;
      if (!fields.number(filesReplaced) || filesReplaced < 0 || !fields.done()) return false;
      run.filesReplaced = filesReplaced;
    }
    run.replacements = replacements;
    return true;
  }
  if (kind == "aside") {
    int index = 0;
    std::string name;
    if (!fields.number(index) || !fields.text(name) || !fields.done()) return false;
    const auto file = numbered(run.files, index);
    if (file == run.files.end() || file->index != index) return false;
    file->aside.push_back(std::move(name));
    return true;
  }
  if (kind == "temporary") {
    std::string path;
    if (!fields.text(path) || !fields.done() || !isPlainAbsolutePath(path)) return false;
    run.temporaries.push_back(std::move(path));
    return true;
  }
  if (kind == "placed" || kind == "restored") {
    int index = 0;
    timespec changed{};
    if (!fields.number(index) || !fields.time(changed) || !fields.done()) return false;
    const auto file = numbered(run.files, index);
    if (file == run.files.end() || file->index != index) return false;
    (kind == "placed" ? file->placedChange : file->restored) = changed;
    return true;
  }
  timespec when{};
  if (kind == "tried" && fields.time(when) && fields.done()) {
    ++run.undoAttempts;
    return true;
  }
  if (kind == "undone" && fields.time(when) && fields.done()) {
    run.undone = true;
    return true;
  }
  if (kind == "tidied" && fields.time(when) && fields.done()) return true;
  return false;
}

// Once the run has ended, what never took its place is no longer the run's.
void dropUnplaced(RunRecord& run) {
  std::erase_if(run.files, [](const FileRecord& file) { return !file.placedChange; });
}

}  // namespace

bool isPlainAbsolutePath(const std::string& path) {
  if (path.size() < 2 || path[0] != '/' || path.back() == '/' || path.find('\0') != std::string::npos) return false;
  for (std::size_t start = 1; start <= path.size();) {
    const auto end = std::min(path.find('/', start), path.size());
    const std::string_view step(path.data() + start, end - start);
    if (step.empty() || step == "." || step == "..") return false;
    start = end + 1;
  }
  return true;
}

bool closesRun(std::string_view line) {
  const std::string_view kind = line.substr(0, line.find(' '));
  return kind == "end" || kind == "tried" || kind == "undone" || kind == "tidied";
}

std::int64_t RunRecord::filesWithoutCopy() const {
  return std::count_if(files.begin(), files.end(), [](const FileRecord& file) { return file.kept == Kept::None; });
}

std::int64_t RunRecord::filesPutInPlace() const {
  return std::count_if(files.begin(), files.end(), [](const FileRecord& file) { return !file.neverPlaced; });
}

std::uint64_t RunRecord::keptBytes() const {
  std::uint64_t total = 0;
  for (const FileRecord& file : files) total += file.keptBytes;
  return total;
}

std::string headerLines(const RunRecord& run) {
  return std::string(kMagic) + "\nrun " + timeField(run.started) + " " + escaped(run.frontEnd) + " " +
         escaped(run.find) + " " + escaped(run.replace) + " " + std::to_string(static_cast<int>(run.compareMode)) +
         (run.pattern ? run.wholeWord ? " pattern+word" : " pattern" : run.wholeWord ? " word" : "") + "\n";
}

std::string fileLine(const FileRecord& file) {
  char mode[16];
  const auto end = std::to_chars(mode, mode + sizeof mode, static_cast<unsigned>(file.mode), 8).ptr;
  const FileFingerprint& w = file.written;
  return "file " + std::to_string(file.index) + " " + escaped(file.path) + " " + keptName(file.kept) + " " +
         std::to_string(file.size) + " " + std::string(mode, end) + " " + std::to_string(file.owner) + " " +
         std::to_string(file.group) + " " + timeField(file.modified) + " " + std::to_string(file.keptBytes) + " " +
         std::to_string(w.device) + " " + std::to_string(w.inode) + " " + std::to_string(w.size) + " " +
         timeField(w.modified) + "\n";
}

std::string endLine(std::int64_t replacements, std::int64_t filesReplaced) {
  return "end " + std::to_string(replacements) + " " + std::to_string(filesReplaced) + "\n";
}

std::string asideLine(int index, const std::string& name) {
  return "aside " + std::to_string(index) + " " + escaped(name) + "\n";
}

std::string temporaryLine(const std::string& path) { return "temporary " + escaped(path) + "\n"; }

std::string placedLine(int index, const timespec& changed) {
  return "placed " + std::to_string(index) + " " + timeField(changed) + "\n";
}

std::string restoredLine(int index, const timespec& changed) {
  return "restored " + std::to_string(index) + " " + timeField(changed) + "\n";
}

std::string triedLine(const timespec& when) { return "tried " + timeField(when) + "\n"; }

std::string undoneLine(const timespec& when) { return "undone " + timeField(when) + "\n"; }

std::string tidiedLine(const timespec& when) { return "tidied " + timeField(when) + "\n"; }

std::optional<RunRecord> parseManifest(std::string_view text) {
  RunRecord run;
  bool placesFiles = true;
  // The first line names the format, the second describes the run, records follow. A run
  // killed before its second line was written recorded nothing.
  for (int lineNumber = 1;; ++lineNumber) {
    const auto newline = text.find('\n');
    if (newline == std::string_view::npos) break;  // what is left never got its line end
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline + 1);
    if (lineNumber == 1) placesFiles = line != kFirstMagic;
    const bool understood = lineNumber == 1   ? line == kMagic || line == kFirstMagic
                            : lineNumber == 2 ? parseRunLine(line, run)
                                              : parseRecordLine(line, run);
    if (!understood) return std::nullopt;
    run.cutOff = lineNumber > 1 && !closesRun(line);
  }
  if (placesFiles && run.replacements) dropUnplaced(run);
  return run;
}

}  // namespace sorvane::journal
