#include "ui/widgets.h"

#include "ui/prompts.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace tvx::ui {

Label::Label(QWidget* parent) : QLabel(parent) {}

void Label::setFontColor(const QColor& color) {
  QPalette p = palette();
  p.setColor(QPalette::Active, QPalette::WindowText, color);
  p.setColor(QPalette::Inactive, QPalette::WindowText, color);
  setPalette(p);
}

QColor Label::fontColor() const { return palette().color(QPalette::Active, QPalette::WindowText); }

void Label::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event);
  QLabel::mousePressEvent(event);
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

void Label::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event);
  QLabel::mouseMoveEvent(event);
}

Image::Image(QWidget* parent) : QLabel(parent) { setScaledContents(false); }

void Image::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event);
  QLabel::mousePressEvent(event);
}

void Image::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
  QLabel::mouseReleaseEvent(event);
}

Panel::Panel(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  setAlignment(Qt::AlignCenter);
  setAutoFillBackground(true);
}

void Panel::setColor(const QColor& color) {
  QPalette p = palette();
  p.setColor(QPalette::Window, color);
  setPalette(p);
}

Shape::Shape(QWidget* parent) : QWidget(parent) {}

void Shape::setBrushColor(const QColor& color) {
  brush_ = color;
  update();
}

void Shape::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(brush_);
  const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = qMin(r.width(), r.height()) / 4.0;
  painter.drawRoundedRect(r, radius, radius);
}

void Shape::mousePressEvent(QMouseEvent* event) {
  emit mousePressed(event);
  QWidget::mousePressEvent(event);
}

void Shape::mouseReleaseEvent(QMouseEvent* event) {
  emit mouseReleased(event);
  QWidget::mouseReleaseEvent(event);
}

SaveDialog::SaveDialog(QObject* parent) : QObject(parent) {}

bool SaveDialog::execute(QWidget* parent) {
  Prompts::FileRequest request{title, initialDir, fileName, filter, defaultExt, confirmOverwrite};
  std::optional<Prompts::SavedFile> chosen = CurrentPrompts().saveFile(parent, request);
  if (!chosen) return false;
  fileName = chosen->path;
  selectedFilter = chosen->filter;
  const QString suffix = SuffixForFilter(selectedFilter, defaultExt);
  if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')) && !suffix.isEmpty())
    fileName += QLatin1Char('.') + suffix;
  initialDir = QFileInfo(fileName).absolutePath();
  return true;
}

}  // namespace tvx::ui
