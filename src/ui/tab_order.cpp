#include "ui/tab_order.h"

#include <QEvent>
#include <QRect>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace tvx::ui {

namespace {

// The part of a compound control that Tab enters first.
constexpr const char* EntryProperty = "tabEntry";
// How far neighbouring controls may overlap and still be read one after the other.
constexpr int SharedBorder = 2;

bool TakesTab(const QWidget* w) { return (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy(); }

bool HoldsTabStop(const QWidget* w) {
  if (TakesTab(w)) return true;
  for (const QObject* child : w->children()) {
    const auto* c = qobject_cast<const QWidget*>(child);
    if (c && !c->isWindow() && HoldsTabStop(c)) return true;
  }
  return false;
}

struct Block {
  QWidget* widget;
  QRect area;
};

// Splits `blocks` where a band (horizontal or vertical) is free of them; false
// when no such band exists.
bool Cut(std::vector<Block>& blocks, bool horizontalBands, std::vector<std::vector<Block>>& parts) {
  auto start = [&](const Block& b) { return horizontalBands ? b.area.top() : b.area.left(); };
  auto end = [&](const Block& b) { return horizontalBands ? b.area.bottom() : b.area.right(); };
  std::stable_sort(blocks.begin(), blocks.end(), [&](const Block& a, const Block& b) { return start(a) < start(b); });
  parts.clear();
  int reach = 0;
  for (const Block& b : blocks) {
    // Controls that share a border line (a field right under another) still
    // stand apart.
    if (parts.empty() || start(b) > reach - SharedBorder) {
      parts.emplace_back();
      reach = end(b);
    } else {
      reach = std::max(reach, end(b));
    }
    parts.back().push_back(b);
  }
  return parts.size() > 1;
}

// Recursive XY cut: rows first, then columns; blocks that overlap both ways
// are read by their top-left corners.
void ReadingOrder(std::vector<Block> blocks, std::vector<QWidget*>& out) {
  if (blocks.size() == 1) {
    out.push_back(blocks.front().widget);
    return;
  }
  std::vector<std::vector<Block>> parts;
  if (Cut(blocks, true, parts) || Cut(blocks, false, parts)) {
    for (auto& part : parts) ReadingOrder(std::move(part), out);
    return;
  }
  std::stable_sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) {
    return a.area.top() != b.area.top() ? a.area.top() < b.area.top() : a.area.left() < b.area.left();
  });
  for (const Block& b : blocks) out.push_back(b.widget);
}

void Collect(QWidget* container, const QRect& client, QWidget* window, std::vector<QWidget*>& chain) {
  std::vector<Block> blocks;
  for (QObject* child : container->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w || w->isWindow() || !HoldsTabStop(w)) continue;
    if (QWidget* part = w->focusProxy(); part && qobject_cast<QTabWidget*>(w) && w->isAncestorOf(part)) {
      // A tab widget hands the focus to its tab bar: as a stop of its own it
      // would stand where it was created and jump to the bar from there, out
      // of reading order. The bar and the pages' controls are the stops.
      w->setFocusProxy(nullptr);
      w->setFocusPolicy(Qt::NoFocus);
      w->setProperty(EntryProperty, QVariant::fromValue(part));
    }
    if (TakesTab(w) && !client.intersects(QRect(w->mapTo(window, QPoint(0, 0)), w->size()))) {
      // Out of sight beyond the window's edge: reachable by no key.
      w->setFocusPolicy(Qt::NoFocus);
      continue;
    }
    blocks.push_back({w, w->geometry()});
  }
  if (blocks.empty()) return;
  std::vector<QWidget*> ordered;
  // Tab enters a tab widget at its bar, wherever the widget has put it.
  if (auto* entry = container->property(EntryProperty).value<QWidget*>()) {
    const auto at = std::find_if(blocks.begin(), blocks.end(),
                                 [&](const Block& b) { return b.widget == entry || b.widget->isAncestorOf(entry); });
    if (at != blocks.end()) {
      ordered.push_back(at->widget);
      blocks.erase(at);
    }
  }
  if (!blocks.empty()) ReadingOrder(std::move(blocks), ordered);
  for (QWidget* w : ordered) {
    if (TakesTab(w)) chain.push_back(w);  // a compound control keeps its inner order
    else Collect(w, client, window, chain);
  }
}

}  // namespace

void SetReadingTabOrder(QWidget* form) {
  std::vector<QWidget*> chain;
  Collect(form, form->rect(), form, chain);
  for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

KeepFocus::KeepFocus(QWidget* window) : window_(window), had_(window->focusWidget()) {
  if (had_) had_->installEventFilter(this);
}

KeepFocus::~KeepFocus() {
  if (!window_ || !had_ || !passedTo_ || window_->focusWidget() != passedTo_) return;
  if (had_->isEnabled() && had_->isVisibleTo(window_)) had_->setFocus(Qt::OtherFocusReason);
}

bool KeepFocus::eventFilter(QObject* watched, QEvent* event) {
  // Qt has moved the focus on by the time the control hears it is disabled;
  // where it lands may be disabled in turn and pass it on again.
  if (event->type() == QEvent::EnabledChange && !static_cast<QWidget*>(watched)->isEnabled() &&
      (watched == had_ || (passedTo_ && watched == passedTo_)) && window_) {
    passedTo_ = window_->focusWidget();
    if (passedTo_ && passedTo_ != had_) passedTo_->installEventFilter(this);
  }
  return false;
}

}  // namespace tvx::ui
