#pragma once

#include "engine/run/name_pattern.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorvane {

// A mask the run cannot use, and why, for a front end to show before any file is touched.
struct MaskFault {
  std::string mask;    // as typed, blanks around it dropped; empty for an empty mask
  std::string reason;  // e.g. "\"/\" may only end a mask"

  // One sentence naming the mask: The file mask "a/b" cannot be used: "/" may only end a mask.
  std::string message() const;
  bool operator==(const MaskFault&) const = default;
};

// The file masks of a folder run: `*.cpp` takes files, `!*.min.js` leaves files out, `build/`
// or `!build/` keeps the walk out of folders of that name at any depth. `*` and `?` match as
// in NamePattern, ignoring case. Without an including mask every file not left out is taken,
// so no masks at all take every file.
class FileMasks {
 public:
  // The masks of a text such as "*.cpp; *.h; !build/": `;` separates them, blanks around each
  // are ignored, and an empty piece at either end (a trailing ";") is no mask.
  static std::variant<FileMasks, MaskFault> parse(std::string_view text);

  // Adds one mask, blanks around it ignored; a fault leaves the masks as they were.
  std::optional<MaskFault> add(std::string_view mask);

  bool takesFile(std::string_view name) const;
  bool entersFolder(std::string_view name) const;

 private:
  std::vector<NamePattern> included_;
  std::vector<NamePattern> excluded_;
  std::vector<NamePattern> foldersLeftOut_;
};

}  // namespace sorvane
