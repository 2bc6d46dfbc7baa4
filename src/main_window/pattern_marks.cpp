#include "main_window/pattern_marks.h"

#include "engine/run/messages.h"
#include "engine/text/encoded_terms.h"
#include "main_window/main_window_widgets.h"
#include "preview_window/mark_colours.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

namespace sorvane::ui {
namespace {

constexpr const char* kMarkedProperty = "sorvaneRefusedText";

void unmark(QComboBox& box) {
  if (!isMarked(box)) return;
  box.setProperty(kMarkedProperty, false);
  box.setPalette(QPalette());  // inherits the window's again, whatever theme it has now
  box.setToolTip(QString());
}

void mark(QComboBox& box, const QString& tip) {
  // The tint of the palette the box inherits, so the mark reads in a light and a dark theme.
  const QPalette inherited = box.parentWidget()->palette();
  const preview::MarkColour colour = preview::markColours(inherited).occurrence;
  QPalette marked = inherited;
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    marked.setColor(group, QPalette::Base, colour.ground);
    marked.setColor(group, QPalette::Text, colour.text);
  }
  box.setPalette(marked);
  box.setToolTip(tip);
  box.setProperty(kMarkedProperty, true);
}

}  // namespace

bool isMarked(const QComboBox& box) { return box.property(kMarkedProperty).toBool(); }

PatternMarks::PatternMarks(const MainWindowWidgets& widgets, QObject* parent) : QObject(parent), widgets_(widgets) {
  for (QComboBox* box : {widgets.cmbFind, widgets.cmbReplace})
    connect(box, &QComboBox::editTextChanged, this, &PatternMarks::check);
  // Every option changes the pattern compiled, and with it what may be wrong with it.
  for (QCheckBox* box : {widgets.chkRegularExpression, widgets.chkWholeWord, widgets.chkCaseSensitive})
    connect(box, &QCheckBox::stateChanged, this, &PatternMarks::check);
}

void PatternMarks::check() {
  QComboBox& find = *widgets_.cmbFind;
  QComboBox& replace = *widgets_.cmbReplace;
  if (widgets_.chkRegularExpression->checkState() != Qt::Checked) {
    unmark(find), unmark(replace);
    return;
  }
  const SearchTerms terms{.find = find.currentText().toStdString(),
                          .replace = replace.currentText().toStdString(),
                          .compare = widgets_.chkCaseSensitive->checkState() == Qt::Checked ? CompareMode::Binary
                                                                                            : CompareMode::Text,
                          .pattern = true,
                          .wholeWord = widgets_.chkWholeWord->checkState() == Qt::Checked};
  const std::optional<TermsFault> fault = EncodedTerms(terms).fault();
  if (!fault) {
    unmark(find), unmark(replace);
    return;
  }
  const QString place = QString::fromStdString(
      messages::faultAndPlace(*fault, fault->inReplace ? terms.replace : terms.find));
  // A template is checked against its pattern's groups, so a broken pattern leaves it unjudged.
  unmark(fault->inReplace ? find : replace);
  mark(fault->inReplace ? replace : find, (fault->inReplace ? QStringLiteral("Not a template that can be used: ")
                                                            : QStringLiteral("Not a pattern that can be used: ")) +
                                              place);
}

}  // namespace sorvane::ui
