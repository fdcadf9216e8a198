#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <initializer_list>
#include <string>

// Pieces the windows share.

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

// Labels show their text as it is: a label fed from the receiver or the LAN
// must not turn markup it was sent into headings or links.
inline QLabel* MakeLabel(QWidget* parent, const char* text, const char* name = nullptr) {
  auto* l = new QLabel(parent);
  l->setTextFormat(Qt::PlainText);
  l->setText(QString::fromUtf8(text));
  if (name) l->setObjectName(name);
  return l;
}

inline QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* text, bool checked = false) {
  auto* b = new QCheckBox(QString::fromUtf8(text), parent);
  b->setObjectName(name);
  b->setChecked(checked);
  return b;
}

// Rewrites a text box only when its text changes, so the caret and a
// selection survive the refreshes.
inline void SetText(QLineEdit* e, const std::string& text) {
  const QString t = QString::fromStdString(text);
  if (e->text() != t) e->setText(t);
}

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

// The datum code field of a command dialog, `digits` characters long.
inline QLineEdit* DatumEdit(QWidget* parent, int digits) {
  auto* e = new QLineEdit(parent);
  e->setObjectName("EditMapDatum");
  e->setMaxLength(digits);
  e->setFixedWidth(20 + 10 * digits);
  return e;
}

// "測地系ｺｰﾄﾞ" and the datum field, side by side.
inline QHBoxLayout* DatumRow(QWidget* parent, QLineEdit* edit) {
  auto* row = new QHBoxLayout;
  row->addWidget(MakeLabel(parent, "測地系ｺｰﾄﾞ"));
  row->addWidget(edit);
  return row;
}

// The buttons and status bar every command dialog has: "送信" (the default),
// "取消" and the dialog's own status bar.
struct CommandDialogParts {
  explicit CommandDialogParts(QDialog* dialog)
      : send(DialogButton(dialog, "ButtonSend", "送信")),
        cancel(DialogButton(dialog, "ButtonCancel", "取消")),
        status(DialogStatusBar(dialog)) {
    send->setDefault(true);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  }
  QPushButton* send;
  QPushButton* cancel;
  QStatusBar* status;
};

// The dialog's controls above its status bar, with a fixed border.
inline void LayOutCommandDialog(QDialog* dialog, QLayout* controls, QStatusBar* status) {
  auto* root = new QVBoxLayout(dialog);
  root->addLayout(controls);
  root->addWidget(status);
  root->setSizeConstraint(QLayout::SetFixedSize);
}
