// Creation helper for radio buttons, in the style of form_components.h.
#pragma once

#include "ui/form_components.h"

#include <QRadioButton>

namespace tvx::ui {

inline QRadioButton* MakeRadioButton(FormComponents& form, QWidget* parent, const char* name, const QRect& geometry,
                                     const QString& caption, const QString& hint = {}) {
  auto* radio = new QRadioButton(caption, parent);
  radio->setObjectName(QString::fromLatin1(name));
  if (!hint.isEmpty()) radio->setToolTip(hint);
  radio->setGeometry(geometry);
  return form.add(radio, "TRadioButton");
}

}  // namespace tvx::ui
