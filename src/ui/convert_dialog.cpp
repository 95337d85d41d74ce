#include "ui/convert_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include <algorithm>

#include "fileops/conversion_settings.h"
#include "fileops/ti_to_pc.h"

namespace korvane::ui {
namespace {

constexpr int kMaxRecordLength = 255;
constexpr int kPcNameLength = 80;  // the PC-file name field
constexpr int kTiNameLength = 10;  // the TI-file name field
constexpr int kHexWordLength = 4;

// The selected entry of a list, 0 ("--SELECT--") when none is selected.
int Chosen(const QComboBox* list) { return std::max(0, list->currentIndex()); }

}  // namespace

ConvertDialog::ConvertDialog(QWidget* parent, const CatalogEntry& row,
                             const std::vector<std::string>& tiPcLines, TiPcWorker worker)
    : RunDialog(parent, "Convert"), tiToPc_(true), tiPcWorker_(std::move(worker)) {
  Build(QString::fromStdString(TiPcDialogCaption(row)), "PC-file name");
  const TiPcDefaults defaults = LookupTiPcDefaults(tiPcLines, row.kind, row.recordLength);
  name_->setMaxLength(kPcNameLength);
  name_->setText(QString::fromStdString(TiPcProposedName(row, defaults)));
  KeepFiltered(name_, FilterTypedPcName);

  // Type and record length only show the row: the records are taken as its
  // header describes them. A PROGRAM's record length field holds its size in
  // bytes, so its list stays empty.
  const bool program = row.kind == kKindProgram;
  type_->setCurrentIndex(IsTiFileKind(row.kind) ? int{row.kind} : int{kPcTiNoType});
  const int length = row.recordLength;
  length_->setCurrentIndex(program ? -1 : (length >= 1 && length <= kMaxRecordLength ? length : 0));
  for (QWidget* w :
       {static_cast<QWidget*>(typeLabel_), static_cast<QWidget*>(type_), static_cast<QWidget*>(lengthLabel_),
        static_cast<QWidget*>(length_), static_cast<QWidget*>(dataHeader_)})
    w->setEnabled(false);
  for (QLineEdit* word : words_) word->setEnabled(false);

  for (int m = kTiPcSelect; m < kTiPcMethodCount; ++m) method_->addItem(TiPcMethodText(m));
  method_->setCurrentIndex(std::clamp(defaults.method, 0, kTiPcMethodCount - 1));
  // A PROGRAM converts only with a method from the settings file.
  method_->setEnabled(!program);
}

ConvertDialog::ConvertDialog(QWidget* parent, const std::string& pcName,
                             const std::vector<std::string>& pcTiLines, PcTiWorker worker)
    : RunDialog(parent, "Convert"), tiToPc_(false), pcTiWorker_(std::move(worker)) {
  Build(QString::fromStdString(PcTiDialogCaption(pcName)), "TI-file name");
  const PcTiDefaults defaults = LookupPcTiDefaults(pcTiLines, PcExtension(pcName));
  for (int m = kPcTiSelect; m < kPcTiMethodCount; ++m) method_->addItem(PcTiMethodText(m));
  type_->setCurrentIndex(std::clamp(defaults.type, 0, kPcTiTypeCount - 1));
  length_->setCurrentIndex(std::clamp(defaults.recordLength, 0, kMaxRecordLength));
  method_->setCurrentIndex(std::clamp(defaults.method, 0, kPcTiMethodCount - 1));
  ApplyTypeRules();
  for (QLineEdit* word : words_) word->setEnabled(false);

  name_->setMaxLength(kTiNameLength);
  name_->setText(QString::fromStdString(PcTiProposedName(pcName)));
  KeepFiltered(name_, FilterTypedTiName);
  for (QLineEdit* word : words_) {
    word->setMaxLength(kHexWordLength);
    KeepFiltered(word, FilterTypedHexWord);
  }
  connect(type_, &QComboBox::activated, this, [this] { ApplyTypeRules(); });
  connect(dataHeader_, &QCheckBox::clicked, this, [this](bool checked) {
    for (QLineEdit* word : words_) word->setEnabled(checked);
  });
}

void ConvertDialog::Build(const QString& caption, const QString& nameLabel) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);

  nameLabel_ = new QLabel(nameLabel, this);
  name_ = new QLineEdit(this);
  name_->setObjectName("name");
  name_->setMinimumWidth(240);
  grid->addWidget(nameLabel_, 0, 0);
  grid->addWidget(name_, 0, 1);

  typeLabel_ = new QLabel("File type", this);
  type_ = new QComboBox(this);
  type_->setObjectName("type");
  for (int t = kPcTiNoType; t < kPcTiTypeCount; ++t) type_->addItem(PcTiTypeText(t));
  grid->addWidget(typeLabel_, 1, 0);
  grid->addWidget(type_, 1, 1);

  lengthLabel_ = new QLabel("Record length", this);
  length_ = new QComboBox(this);
  length_->setObjectName("recordLength");
  for (int n = 0; n <= kMaxRecordLength; ++n) length_->addItem(QString::fromStdString(RecordLengthText(n)));
  grid->addWidget(lengthLabel_, 2, 0);
  grid->addWidget(length_, 2, 1);

  method_ = new QComboBox(this);
  method_->setObjectName("method");
  grid->addWidget(new QLabel("Conversion method", this), 3, 0);
  grid->addWidget(method_, 3, 1);

  dataHeader_ = new QCheckBox("Add  3 words (6 bytes) data header", this);
  layout->addWidget(dataHeader_);
  auto* wordRow = new QHBoxLayout;
  for (size_t i = 0; i < words_.size(); ++i) {
    words_[i] = new QLineEdit(this);
    words_[i]->setObjectName(QString("word%1").arg(i + 1));
    wordRow->addWidget(words_[i]);
  }
  layout->addLayout(wordRow);

  AddProgressBar(layout, nullptr);
  AddButtons(layout);
}

// A PROGRAM has no records: no record length, the binary method, and it may
// start with the data header. Any other type takes a length and a method.
void ConvertDialog::ApplyTypeRules() {
  const PcTiTypeRules rules = TypeRules(type_->currentIndex());
  if (!rules.recordLengthEnabled)
    length_->setCurrentIndex(-1);
  else if (length_->currentIndex() < 0)
    length_->setCurrentIndex(0);
  length_->setEnabled(rules.recordLengthEnabled);
  if (!rules.methodEnabled) method_->setCurrentIndex(kPcTiBinary);
  method_->setEnabled(rules.methodEnabled);
  dataHeader_->setEnabled(rules.dataHeaderEnabled);
  for (QLineEdit* word : words_) word->setEnabled(rules.dataHeaderEnabled && dataHeader_->isChecked());
}

void ConvertDialog::Refuse(const std::string& message, QWidget* focus) {
  QMessageBox::critical(this, "Korvane", QString::fromStdString(message));
  focus->setFocus();
}

bool ConvertDialog::CheckTiPc() {
  const std::string name = name_->text().toStdString();
  const std::string message = CheckTiPcChoice(name, Chosen(method_));
  if (message.empty()) return true;
  // With any valid method the name alone decides the first test.
  Refuse(message, CheckTiPcChoice(name, kTiPcBinary).empty() ? static_cast<QWidget*>(method_) : name_);
  return false;
}

bool ConvertDialog::CheckPcTi(PcTiJob& job) {
  PcTiChoice choice;
  choice.tiName = name_->text().toStdString();
  choice.type = Chosen(type_);
  choice.recordLength = Chosen(length_);
  choice.method = Chosen(method_);
  choice.dataHeader = dataHeader_->isChecked();
  for (size_t i = 0; i < words_.size(); ++i) choice.headerWords[i] = words_[i]->text().toStdString();
  const PcTiCheck check = CheckPcTiChoice(choice);
  if (!check.message.empty()) {
    QWidget* focus = name_;
    switch (check.focus) {
      case PcTiField::Type:
        focus = type_;
        break;
      case PcTiField::RecordLength:
        focus = length_;
        break;
      case PcTiField::Method:
        focus = method_;
        break;
      case PcTiField::HeaderWord1:
        focus = words_[0];
        break;
      case PcTiField::HeaderWord2:
        focus = words_[1];
        break;
      case PcTiField::HeaderWord3:
        focus = words_[2];
        break;
      default:
        break;
    }
    Refuse(check.message, focus);
    return false;
  }
  const bool program = choice.type == kPcTiProgram;
  job.tiName = choice.tiName;
  job.type = choice.type;
  job.recordLength = program ? 0 : choice.recordLength;
  job.method = program ? kPcTiBinary : choice.method;
  // The words belong to a PROGRAM only; a box left checked before the type
  // changed adds nothing to records.
  job.dataHeader = program && choice.dataHeader;
  job.words = check.words;
  return true;
}

void ConvertDialog::OnAction() {
  PcTiJob job;
  if (tiToPc_ ? !CheckTiPc() : !CheckPcTi(job)) return;
  name_->setReadOnly(true);
  for (QWidget* w : {static_cast<QWidget*>(type_), static_cast<QWidget*>(length_),
                     static_cast<QWidget*>(method_), static_cast<QWidget*>(dataHeader_)})
    w->setEnabled(false);
  for (QLineEdit* word : words_) word->setEnabled(false);
  const std::string pcName = name_->text().toStdString();
  const int method = Chosen(method_);
  Run([&](Progress& progress) {
    if (tiToPc_ && tiPcWorker_) tiPcWorker_(pcName, method, progress);
    if (!tiToPc_ && pcTiWorker_) pcTiWorker_(job, progress);
  });
}

}  // namespace korvane::ui
