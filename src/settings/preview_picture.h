#pragma once

#include <QString>
#include <array>
#include <optional>

namespace sorvane::settings {

class SettingsStore;

// What the store keeps of the Preview window between its showings: its size and the widths of
// its line and "as it is" columns (the last column takes the rest), each in twips. A size that
// was never stored, or does not convert, has no value: the window keeps its designed one.
struct PreviewPicture {
  std::optional<float> width;  // the client area, which does not depend on the window manager's frame
  std::optional<float> height;
  std::array<std::optional<float>, 2> columnWidths;
};

PreviewPicture readPreviewPicture(const SettingsStore& store);
void writePreviewPicture(SettingsStore& store, const PreviewPicture& picture);

}  // namespace sorvane::settings
