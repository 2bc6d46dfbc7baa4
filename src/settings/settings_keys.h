#pragma once

#include <QString>

// The vocabulary of the settings store: sections, keys and the defaults a read supplies.
namespace sorvane::settings {

inline const QString kSectionSettings = QStringLiteral("Settings");
inline const QString kSectionTerms = QStringLiteral("Terms");
inline const QString kSectionFiles = QStringLiteral("Files");

inline const QString kWindowMaximized = QStringLiteral("Window Maximized");
inline const QString kWindowWidth = QStringLiteral("Window Width");
inline const QString kWindowHeight = QStringLiteral("Window Height");
inline const QString kSelectAFolder = QStringLiteral("Select a Folder");
inline const QString kSelectFiles = QStringLiteral("Select Files");
inline const QString kPath = QStringLiteral("Path");
inline const QString kCheckboxRecursive = QStringLiteral("Checkbox Recursive");
inline const QString kTextFind = QStringLiteral("Text Find");
inline const QString kTextReplace = QStringLiteral("Text Replace");
inline const QString kCaseSensitive = QStringLiteral("Case Sensitive");
inline const QString kWholeWord = QStringLiteral("Whole Word");
inline const QString kRegularExpression = QStringLiteral("Regular Expression");
inline const QString kRememberTheseFiles = QStringLiteral("Remember These Files");
inline const QString kFileTypesToSearch = QStringLiteral("File Types To Search");
inline const QString kOpenFilterIndex = QStringLiteral("OpenFilterIndex");
inline const QString kPreviewWidth = QStringLiteral("Preview Width");
inline const QString kPreviewHeight = QStringLiteral("Preview Height");
inline const QString kPreviewLineColumnWidth = QStringLiteral("Preview Line Column Width");
inline const QString kPreviewBeforeColumnWidth = QStringLiteral("Preview As It Is Column Width");

// A numbered list: a count key in "Settings" (the highest index) and one key per entry.
struct NumberedList {
  QString countKey;
  QString section;
  QString entryPrefix;  // ends in a blank: "Find Term " + 0 is "Find Term 0"
};

inline const NumberedList kRecentFinds{QStringLiteral("Number of recent finds"), kSectionTerms,
                                       QStringLiteral("Find Term ")};
inline const NumberedList kRecentReplaces{QStringLiteral("Number of recent replaces"), kSectionTerms,
                                          QStringLiteral("Replace Term ")};
inline const NumberedList kRecentFileMasks{QStringLiteral("Number of recent file masks"), kSectionTerms,
                                          QStringLiteral("File Masks ")};
inline const NumberedList kRememberedFiles{QStringLiteral("Number of files"), kSectionFiles, QStringLiteral("File ")};

// The window's outer size in twips when none is stored.
inline constexpr float kDefaultWidth = 8000;
inline constexpr float kDefaultHeight = 4800;
inline constexpr int kDefaultOpenFilterIndex = 2;

}  // namespace sorvane::settings
