// Small widgets standing in for the classic form components: a label and a
// picture that report mouse presses, releases, moves and clicks; a panel with a
// centred caption; a shape (the port indicator's rounded rectangle); and a save
// dialog component that keeps its settings between showings and asks through
// Prompts.
#pragma once

#include <QColor>
#include <QLabel>
#include <QObject>
#include <QString>

class QMouseEvent;

namespace tvx::ui {

class Label : public QLabel {
  Q_OBJECT
 public:
  explicit Label(QWidget* parent = nullptr);
  // The text colour (the window-text colour by default).
  void setFontColor(const QColor& color);
  QColor fontColor() const;

 signals:
  void clicked();
  void mousePressed(QMouseEvent* event);
  void mouseReleased(QMouseEvent* event);
  void mouseMoved(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};

class Image : public QLabel {
  Q_OBJECT
 public:
  explicit Image(QWidget* parent = nullptr);

 signals:
  void clicked();
  void mousePressed(QMouseEvent* event);
  void mouseReleased(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A raised panel with a centred caption; it can hold other controls.
class Panel : public QLabel {
  Q_OBJECT
 public:
  explicit Panel(QWidget* parent = nullptr);
  void setColor(const QColor& color);
};

// A filled rounded rectangle with a black outline.
class Shape : public QWidget {
  Q_OBJECT
 public:
  explicit Shape(QWidget* parent = nullptr);
  void setBrushColor(const QColor& color);
  QColor brushColor() const { return brush_; }

 signals:
  void mousePressed(QMouseEvent* event);
  void mouseReleased(QMouseEvent* event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QColor brush_ = Qt::white;
};

// The settings of a file-save question, kept between showings like a form's
// save-dialog component; execute() asks through Prompts and remembers the
// chosen name.
class SaveDialog : public QObject {
  Q_OBJECT
 public:
  explicit SaveDialog(QObject* parent = nullptr);

  QString fileName;
  QString filter;
  QString defaultExt;
  QString title;
  QString initialDir;
  // The filter the user chose with the name (one entry of `filter`).
  QString selectedFilter;
  // False where the caller asks its own overwrite question.
  bool confirmOverwrite = true;

  // False when the user cancelled. A name without an extension gets the
  // selected filter's, so `fileName` is the name to write.
  bool execute(QWidget* parent);
};

}  // namespace tvx::ui
