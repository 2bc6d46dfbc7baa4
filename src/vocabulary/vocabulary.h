#pragma once

#include <array>

// The words every part of the program shares. Where a word has a number, it is the number
// the program is known to speak: stored check states are these digits, and message boxes
// are asked for, and answer, in these numbers.
namespace sorvane {

// The caption of the window and of every message box, and the name the settings live under.
inline constexpr const char* kApplicationTitle = "Sorvane";

enum class MessageStyle {
  Critical = 16,           // critical icon, OK
  Information = 64,        // information icon, OK
  AbortRetryIgnore = 274,  // critical icon, Abort, Retry and Ignore, Retry preselected
  YesNoQuestion = 292,     // question icon, Yes and No, No preselected
};

enum class MessageAnswer { Ok = 1, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The user toggles a box between Cleared and Checked; only a stored value grays it.
enum class CheckValue { Cleared = 0, Checked = 1, Grayed = 2 };

// Binary: the exact bytes. Text: letter case ignored, by Unicode simple case folding.
enum class CompareMode { Binary = 0, Text = 1 };

enum class MousePointer { Default = 0, Hourglass = 11 };

enum class WindowState { Normal, Minimized, Maximized };

// The file types a folder run offers, in the order the window lists them, each with the
// file-name pattern it stands for.
struct FileType {
  const char* caption;
  const char* pattern;
};

inline constexpr std::array<FileType, 4> kFileTypes = {{
    {"All Files (*.*)", "*.*"},
    {"HTML Files (*.htm, *.html)", "*.htm*"},
    {"JavaScript Files (*.js)", "*.js"},
    {"Text Files (*.txt)", "*.txt"},
}};

}  // namespace sorvane
