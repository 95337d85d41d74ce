#include "ui/find_replace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvane::ui {

FindDialog::FindDialog(QWidget* viewer, FindRequest& request, FindKind kind)
    : QDialog(viewer, Qt::Dialog), request_(request), kind_(kind) {
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  const bool replace = kind == FindKind::Replace;
  setWindowTitle(replace ? "Replace" : "Find");

  auto* grid = new QGridLayout;
  findEdit_ = new QLineEdit(request.findWhat.left(kFindTextLimit));
  findEdit_->setMaxLength(kFindTextLimit);
  auto* findLabel = new QLabel("Fi&nd what:");
  findLabel->setBuddy(findEdit_);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(findEdit_, 0, 1);
  if (replace) {
    replaceEdit_ = new QLineEdit(request.replaceWith.left(kFindTextLimit));
    replaceEdit_->setMaxLength(kFindTextLimit);
    auto* replaceLabel = new QLabel("Re&place with:");
    replaceLabel->setBuddy(replaceEdit_);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(replaceEdit_, 1, 1);
  }
  wholeWord_ = new QCheckBox("Match &whole word only");
  wholeWord_->setChecked(request.wholeWord);
  matchCase_ = new QCheckBox("Match &case");
  matchCase_->setChecked(request.matchCase);
  auto* options = new QVBoxLayout;
  options->addWidget(wholeWord_);
  options->addWidget(matchCase_);
  auto* lower = new QHBoxLayout;
  lower->addLayout(options);
  if (!replace) {
    auto* direction = new QGroupBox("Direction");
    up_ = new QRadioButton("&Up");
    down_ = new QRadioButton("&Down");
    (request.down ? down_ : up_)->setChecked(true);
    auto* d = new QHBoxLayout(direction);
    d->addWidget(up_);
    d->addWidget(down_);
    lower->addWidget(direction);
  }
  auto* left = new QVBoxLayout;
  left->addLayout(grid);
  left->addLayout(lower);

  auto* buttons = new QVBoxLayout;
  findNext_ = new QPushButton("&Find Next");
  findNext_->setDefault(true);
  buttons->addWidget(findNext_);
  if (replace) {
    replace_ = new QPushButton("&Replace");
    replaceAll_ = new QPushButton("Replace &All");
    buttons->addWidget(replace_);
    buttons->addWidget(replaceAll_);
  }
  auto* cancel = new QPushButton("Cancel");
  buttons->addWidget(cancel);
  buttons->addStretch();

  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addLayout(buttons);

  const auto enable = [this] {
    const bool any = !findEdit_->text().isEmpty();
    findNext_->setEnabled(any);
    if (replace_) replace_->setEnabled(any);
    if (replaceAll_) replaceAll_->setEnabled(any);
  };
  enable();
  connect(findEdit_, &QLineEdit::textChanged, this, [this, enable] {
    enable();
    Store();
  });
  if (replaceEdit_) connect(replaceEdit_, &QLineEdit::textChanged, this, &FindDialog::Store);
  connect(wholeWord_, &QCheckBox::toggled, this, &FindDialog::Store);
  connect(matchCase_, &QCheckBox::toggled, this, &FindDialog::Store);
  if (down_) connect(down_, &QRadioButton::toggled, this, &FindDialog::Store);
  connect(findNext_, &QPushButton::clicked, this, &FindDialog::findNext);
  if (replace_) connect(replace_, &QPushButton::clicked, this, &FindDialog::replaceOne);
  if (replaceAll_) connect(replaceAll_, &QPushButton::clicked, this, &FindDialog::replaceAll);
  connect(cancel, &QPushButton::clicked, this, &QDialog::close);
  Store();
}

void FindDialog::Store() {
  request_.findWhat = findEdit_->text();
  if (replaceEdit_) request_.replaceWith = replaceEdit_->text();
  request_.wholeWord = wholeWord_->isChecked();
  request_.matchCase = matchCase_->isChecked();
  // The replace dialog always searches down.
  request_.down = down_ ? down_->isChecked() : true;
}

}  // namespace korvane::ui
