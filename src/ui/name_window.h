#pragma once
// frmNameChange: names one point or flag, the one it was opened for. The name box takes 15
// characters, the preview shows the name a point or flag has when OFF, and OK on an empty box is
// refused. The rules are in config/names.h.
#include <QDialog>

#include "config/summaries.h"

class QLineEdit;
class QPushButton;

namespace kestrio::ui {

class WindowContext;

class FrmNameChange : public QDialog {
  Q_OBJECT

 public:
  // `view` says whether `item` is a point or a flag; the box starts with its current name.
  FrmNameChange(WindowContext& context, config::View view, int item, QWidget* parent = nullptr);

  // A name was stored.
  bool Saved() const { return saved_; }

 public slots:
  void cmdOK_Click();

 private:
  WindowContext& context_;
  config::View view_;
  int item_;
  bool saved_ = false;

 public:
  QLineEdit* txtPointNameChange = nullptr;
  QLineEdit* txtOffState = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;
};

}  // namespace kestrio::ui
