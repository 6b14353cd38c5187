// The program's edit field.
//
// - Filled from a valve word (setValveText), it remembers that word: while its
//   text is still what the program put there, keptWord() returns the word, and
//   a send writes it back bit for bit. Any other text (typed, pasted, or set
//   by a check of the program) is converted when sent.
// - Its typed limit caps what a person types, pastes or drops; text the
//   program puts in is never cut (QLineEdit::setMaxLength would cut it).
// - A numeric field filters its keys with NumericalFieldKeyPress(X); pasted
//   and dropped text is filtered the same way.
// - A field of the parameter set marks itself (a quiet background, explained
//   in its hint) while its text differs from what was last read from the valve
//   or sent to it, so that edited values not yet sent are seen.
#pragma once

#include "ui/numeric_key_filter.h"
#include "view/field_value.h"

#include <QColor>
#include <QLineEdit>

#include <cstdint>
#include <optional>

namespace tvx::ui {

class ValveField : public QLineEdit {
  Q_OBJECT
 public:
  explicit ValveField(QWidget* parent = nullptr);

  // Shows `text`, made from the valve word `word`, and remembers the word.
  void setValveText(const QString& text, std::uint32_t word);
  // Shows a text of the program's own; no word is kept.
  void setProgramText(const QString& text);

  // The word the text was made from, while the text is unchanged (a "." the
  // field's checks turn into "," is no change).
  std::optional<std::uint32_t> keptWord() const;
  // Text and kept word, as a sequence takes a field.
  view::FieldValue value() const;

  // The most characters a person can bring into the field (0: no limit).
  void setTypedLimit(int characters);
  int typedLimit() const { return typedLimit_; }

  void setNumericKeys(NumericKeys keys);

  // Marking: on for the fields of the parameter set. The valve's text is the
  // one setValveText put in, or the field's text when keepAsValveText() says
  // it was sent; before either the field is not marked.
  void setMarksEdits(bool on);
  bool marksEdits() const { return marksEdits_; }
  void keepAsValveText();
  std::optional<QString> valveText() const { return valveText_; }
  void setValveTextOnly(std::optional<QString> text);
  bool isMarked() const;
  static QColor MarkColour();
  static QString MarkHint(const QString& valveText);

  // Paste from the clipboard, filtered and cut to the typed limit (Ctrl+V,
  // Shift+Insert and the context menu's paste come here).
  void pasteFiltered();

  // What a paste or drop of `text` may insert when `replaced` characters of
  // the field's text give way to it.
  QString insertable(const QString& text, qsizetype replaced) const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QString programText_;
  std::optional<std::uint32_t> word_;
  int typedLimit_ = 0;
  std::optional<NumericKeys> keys_;
  bool marksEdits_ = false;
  std::optional<QString> valveText_;
  void showMark();
};

}  // namespace tvx::ui
