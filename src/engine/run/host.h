#pragma once

#include "engine/run/run_events.h"
#include "engine/text/encoded_terms.h"
#include "vocabulary/vocabulary.h"

#include <string>

namespace sorvane {

// A list-bearing control that keeps recent terms (the find and replace drop-downs).
class RecentTermList {
 public:
  virtual ~RecentTermList() = default;
  virtual int ListCount() const = 0;
  virtual std::string List(int index) const = 0;
  virtual void AddItem(const std::string& item) = 0;
};

// What the window's Replace command reads of the window and does to it, besides what every run
// tells whoever started it. Texts are UTF-8; paths are the file system's own bytes.
class ReplaceHost : public RunEvents {
 public:
  virtual bool fileFrameVisible() const = 0;    // file mode
  virtual bool folderFrameVisible() const = 0;  // folder mode
  virtual int fileListCount() const = 0;
  virtual std::string fileListItem(int index) const = 0;
  virtual std::string folderCaption() const = 0;
  virtual std::string findText() const = 0;
  virtual std::string replaceText() const = 0;
  virtual std::string fileTypeText() const = 0;
  virtual CheckValue caseSensitiveValue() const = 0;
  virtual CheckValue wholeWordValue() const = 0;
  virtual CheckValue regularExpressionValue() const = 0;
  virtual CheckValue recursiveValue() const = 0;
  virtual RecentTermList& findTerms() = 0;
  virtual RecentTermList& replaceTerms() = 0;

  // Shows a message box and returns the button pressed.
  virtual MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) = 0;
  virtual void refreshFolderFiles() = 0;  // the folder's file list shows current contents
  virtual void focusFind() = 0;
  // Puts the focus in the box at fault, its text selected from where the fault lies.
  virtual void showTermsFault(const TermsFault& fault) = 0;
  virtual void focusFileTypes() = 0;
  // A run took these typed masks: they head the box's recent masks.
  virtual void recordFileMasks(const std::string& masks) = 0;
  virtual void DisableControls() = 0;
  virtual void EnableControls() = 0;

  // The window's dialogs: the one that lets the user stop, retry or skip the file, or, for a
  // failure outside the file system, the one after which the run stops.
  MessageAnswer fileFailed(const std::string& fileName, const Failure& failure) override;
  void stoppedByFailure(std::int64_t replacements) override;
};

}  // namespace sorvane
