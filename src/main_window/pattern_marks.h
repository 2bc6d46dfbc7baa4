#pragma once

#include <QObject>

class QComboBox;

namespace sorvane::ui {

struct MainWindowWidgets;

// While Regular expression is ticked, checks the find box's pattern and the replace box's
// template as they are typed: a box whose text a run would refuse is drawn in a red tint of the
// palette, its tooltip saying what is wrong and where. The mark goes once the text can be used.
class PatternMarks final : public QObject {
 public:
  PatternMarks(const MainWindowWidgets& widgets, QObject* parent);

 private:
  // Checks both boxes again, as the options and texts now are.
  void check();

  const MainWindowWidgets& widgets_;
};

// Whether `box` is marked as holding a text a run would refuse.
bool isMarked(const QComboBox& box);

}  // namespace sorvane::ui
