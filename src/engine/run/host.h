#pragma once

#include "engine/files/failure.h"
#include "vocabulary/vocabulary.h"

#include <cstdint>
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

// Everything a replace run needs from whoever shows it: the window, the command-line
// front end or a test. Texts are UTF-8; paths are the file system's own bytes.
class ReplaceHost {
 public:
  virtual ~ReplaceHost() = default;

  virtual bool fileFrameVisible() const = 0;    // file mode
  virtual bool folderFrameVisible() const = 0;  // folder mode
  virtual int fileListCount() const = 0;
  virtual std::string fileListItem(int index) const = 0;
  virtual std::string folderCaption() const = 0;
  virtual std::string findText() const = 0;
  virtual std::string replaceText() const = 0;
  virtual std::string fileTypeText() const = 0;
  virtual CheckValue caseSensitiveValue() const = 0;
  virtual CheckValue recursiveValue() const = 0;
  virtual RecentTermList& findTerms() = 0;
  virtual RecentTermList& replaceTerms() = 0;

  // Shows a message box and returns the button pressed.
  virtual MessageAnswer showMessage(const std::string& text, MessageStyle style, const std::string& title) = 0;
  // A file could not be rewritten. Shows the dialog that lets the user stop, retry or skip it,
  // or, for a failure outside the file system, the one after which the run stops; returns the
  // button. A host without dialogs may answer by itself.
  virtual MessageAnswer fileFailed(const std::string& fileName, const Failure& failure);
  // A file was rewritten (or, in a dry run, counted) with this many replacements.
  virtual void fileDone(const std::string& /*fileName*/, std::int64_t /*replacements*/) {}
  // A folder of a walk could not be listed, so its files and folders are passed over. The
  // window keeps silence about it; a host that reports failures says so.
  virtual void folderNotListed(const std::string& /*folder*/, const Failure& /*failure*/) {}
  // Lets the host repaint, resize and take a close request in the middle of a run.
  virtual void processPendingEvents() = 0;
  // True once the host wants the run abandoned (e.g. the program is closing); read after each yield.
  virtual bool stopRequested() const = 0;
  // True once the user asked the run to stop (a Stop button): it ends as after Abort, no file
  // is opened after it, and the report follows. Read after each yield.
  virtual bool abortRequested() const { return false; }
  // The run begins to work on `files` files (0 when a walk has yet to find them), and has put
  // its last one in place: a host may show its progress in between.
  virtual void runBegins(int /*files*/) {}
  virtual void runEnds() {}
  virtual void refreshFolderFiles() = 0;  // the folder's file list shows current contents
  virtual void focusFind() = 0;
  virtual void DisableControls() = 0;
  virtual void EnableControls() = 0;
};

// How the case box says to compare: exactly when ticked, ignoring case otherwise.
inline CompareMode compareModeOf(const ReplaceHost& host) {
  return host.caseSensitiveValue() == CheckValue::Checked ? CompareMode::Binary : CompareMode::Text;
}

// Hands the host its pending events and says whether the run goes on: what a run's Yielder calls.
bool yieldTo(ReplaceHost& host);

}  // namespace sorvane
