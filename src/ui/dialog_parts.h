#pragma once
#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <initializer_list>

// Pieces the command dialogs share.

// A group of radio buttons under a caption, as one control: the group box
// carries the control's name, the buttons are numbered from 0 in the group.
class RadioGroup : public QGroupBox {
 public:
  RadioGroup(QWidget* parent, const char* name, const char* caption,
             std::initializer_list<const char*> items, int checked)
      : QGroupBox(QString::fromUtf8(caption), parent), buttons_(this) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    int id = 0;
    for (const char* item : items) {
      auto* b = new QRadioButton(QString::fromUtf8(item), this);
      b->setObjectName(QString("%1Item%2").arg(name).arg(id));
      buttons_.addButton(b, id++);
      layout->addWidget(b);
    }
    buttons_.button(checked)->setChecked(true);
  }
  int ItemIndex() const { return buttons_.checkedId(); }
  void SetItemIndex(int i) { buttons_.button(i)->setChecked(true); }
  QButtonGroup& Buttons() { return buttons_; }

 private:
  QButtonGroup buttons_;
};

inline QPushButton* DialogButton(QWidget* parent, const char* name, const char* text) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  return b;
}

inline QStatusBar* DialogStatusBar(QWidget* parent) {
  auto* s = new QStatusBar(parent);
  s->setObjectName("StatusBar");
  s->setSizeGripEnabled(false);
  return s;
}
