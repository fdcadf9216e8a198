#pragma once
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

// A spin button beside a read-only text box: a widget named `name` holding
// an up and a down arrow (named name + "Up" / "Down").
struct SpinButton {
  QWidget* widget;
  QToolButton* up;
  QToolButton* down;
};

inline SpinButton MakeSpinButton(QWidget* parent, const QString& name) {
  auto* w = new QWidget(parent);
  w->setObjectName(name);
  auto* layout = new QVBoxLayout(w);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* up = new QToolButton(w);
  up->setObjectName(name + "Up");
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(w);
  down->setObjectName(name + "Down");
  down->setArrowType(Qt::DownArrow);
  for (auto* b : {up, down}) {
    b->setFixedSize(18, 11);
    b->setAutoRepeat(true);
  }
  layout->addWidget(up);
  layout->addWidget(down);
  return {w, up, down};
}

// The read-only text box of a spin edit.
inline QLineEdit* SpinEdit(QWidget* parent, const char* name, int width = 44) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setReadOnly(true);
  e->setFixedWidth(width);
  e->setAlignment(Qt::AlignRight);
  return e;
}
