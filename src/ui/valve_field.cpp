#include "ui/valve_field.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace tvx::ui {

namespace {

QString WithCommas(QString text) { return text.replace(QLatin1Char('.'), QLatin1Char(',')); }

bool Printable(const QString& text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

// The standard menu's paste: named "edit-paste" from Qt 6.5 on, before that
// known by its (translated) caption.
bool IsPasteAction(const QAction& action) {
  if (action.objectName() == QLatin1String("edit-paste")) return true;
  const QString paste = QLineEdit::tr("&Paste");
  return action.text() == paste || action.text().startsWith(paste + QLatin1Char('\t'));
}

}  // namespace

ValveField::ValveField(QWidget* parent) : QLineEdit(parent) {
  // The text keeps 2 pixels from the edge, as in the narrow edit fields the
  // layout was drawn for (the toolkit keeps 3): seven digits with a comma fit
  // the 44-pixel fields of the parameter groups.
  setTextMargins(-1, 0, -1, 0);
  connect(this, &QLineEdit::textChanged, this, [this] { showMark(); });
}

void ValveField::setValveText(const QString& text, std::uint32_t word) {
  // Set before the text, so that the change reactions already see the word.
  programText_ = text;
  word_ = word;
  valveText_ = text;
  setText(text);
  showMark();
}

void ValveField::setMarksEdits(bool on) {
  marksEdits_ = on;
  showMark();
}

void ValveField::keepAsValveText() { setValveTextOnly(text()); }

void ValveField::setValveTextOnly(std::optional<QString> text) {
  valveText_ = std::move(text);
  showMark();
}

bool ValveField::isMarked() const { return marksEdits_ && valveText_ && WithCommas(text()) != WithCommas(*valveText_); }

QColor ValveField::MarkColour() { return QColor(0xFF, 0xF4, 0xCC); }

QString ValveField::MarkHint(const QString& valveText) {
  return QStringLiteral(
             " Tło: wartość zmieniona, jeszcze nie przesłana do rozdzielacza \n"
             " (w rozdzielaczu: %1) ")
      .arg(valveText);
}

void ValveField::showMark() {
  const QColor base = isMarked() ? MarkColour() : QGuiApplication::palette().color(QPalette::Base);
  if (palette().color(QPalette::Base) == base) return;
  QPalette p = palette();
  p.setColor(QPalette::Base, base);
  setPalette(p);
}

bool ValveField::event(QEvent* event) {
  // The marked field's hint says what the background means and what the valve holds.
  if (event->type() == QEvent::ToolTip && isMarked()) {
    auto* help = static_cast<QHelpEvent*>(event);
    QString hint = MarkHint(*valveText_);
    if (!toolTip().isEmpty()) hint = toolTip() + QLatin1Char('\n') + hint;
    QToolTip::showText(help->globalPos(), hint, this);
    return true;
  }
  return QLineEdit::event(event);
}

void ValveField::setProgramText(const QString& text) {
  programText_ = text;
  word_.reset();
  setText(text);
}

std::optional<std::uint32_t> ValveField::keptWord() const {
  if (!word_) return std::nullopt;
  const QString now = text();
  if (now == programText_ || WithCommas(now) == WithCommas(programText_)) return word_;
  return std::nullopt;
}

view::FieldValue ValveField::value() const { return {text().toStdString(), keptWord()}; }

void ValveField::setTypedLimit(int characters) { typedLimit_ = std::max(0, characters); }

void ValveField::setNumericKeys(NumericKeys keys) { keys_ = keys; }

QString ValveField::insertable(const QString& text, qsizetype replaced) const {
  QString out;
  for (QChar c : text) {
    if (c.isPrint()) out.append(c);  // line breaks and tabs are not typed into a field
  }
  if (keys_) out = NumericalFieldText(out, *keys_);
  if (typedLimit_ > 0) out.truncate(std::max<qsizetype>(0, typedLimit_ - (this->text().length() - replaced)));
  return out;
}

void ValveField::pasteFiltered() {
  if (isReadOnly()) return;
  const QString clip = QGuiApplication::clipboard()->text();
  const QString add = insertable(clip, selectedText().length());
  if (!add.isEmpty() || hasSelectedText()) insert(add);
}

void ValveField::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    pasteFiltered();
    event->accept();
    return;
  }
  if (keys_ && NumericalFieldKeyPress(*this, *event, *keys_)) {
    event->accept();
    return;
  }
  const QString typed = event->text();
  const bool typesText = TypesCharacter(*event) && Printable(typed);
  if (typesText && typedLimit_ > 0) {
    const qsizetype after = text().length() - selectedText().length() + typed.length();
    // A field the program filled beyond the limit can still be shortened.
    if (after > typedLimit_ && after > text().length()) {
      event->accept();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void ValveField::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (QAction* action : menu->actions()) {
    if (!IsPasteAction(*action)) continue;
    disconnect(action, &QAction::triggered, nullptr, nullptr);
    connect(action, &QAction::triggered, this, &ValveField::pasteFiltered);
  }
  menu->popup(event->globalPos());
}

void ValveField::dropEvent(QDropEvent* event) {
  // A drag inside the field moves text that is already in it.
  if (event->source() == this || !event->mimeData()->hasText()) {
    QLineEdit::dropEvent(event);
    return;
  }
  const QString add = insertable(event->mimeData()->text(), 0);
  if (add.isEmpty()) {
    event->ignore();
    return;
  }
  QMimeData filtered;
  filtered.setText(add);
  QDropEvent copy(event->position(), event->possibleActions(), &filtered, event->buttons(), event->modifiers(),
                  event->type());
  copy.setDropAction(event->dropAction());
  QLineEdit::dropEvent(&copy);
  event->setDropAction(copy.dropAction());
  event->setAccepted(copy.isAccepted());
}

}  // namespace tvx::ui
