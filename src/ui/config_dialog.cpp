#include "ui/config_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "catalog/header.h"
#include "ui/look.h"

namespace korvane::ui {
namespace {

constexpr int kMinPoints = 8;
constexpr int kMaxPoints = 18;

double ScreenDpi(QWidget* w) {
  const QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
  return s ? s->logicalDotsPerInchY() : 96.0;
}

void SetSwatch(QLabel* label, uint32_t text, uint32_t back) {
  label->setStyleSheet(QString("QLabel { color: %1; background-color: %2; }")
                           .arg(ColorFromRef(text).name(), ColorFromRef(back).name()));
}

}  // namespace

QString ConfigDialog::FontDescription(const Settings& s) {
  QString text = QString("%1, %2").arg(QString::fromStdString(s.fontName)).arg(std::abs(s.fontHeight));
  if (s.fontWeight > 400) text += ", B";
  if (s.fontItalic) text += ", I";
  return text;
}

bool ChooseListFont(QWidget* parent, Settings& settings) {
  QDialog dialog(parent);
  dialog.setWindowTitle("Font");
  auto* face = new QFontComboBox(&dialog);
  face->setCurrentFont(ListFont(settings));
  auto* size = new QComboBox(&dialog);
  const double dpi = ScreenDpi(parent);
  const int points = static_cast<int>(std::lround(std::abs(settings.fontHeight) * 72.0 / dpi));
  for (int p = kMinPoints; p <= kMaxPoints; ++p) size->addItem(QString::number(p), p);
  size->setCurrentIndex(std::clamp(points, kMinPoints, kMaxPoints) - kMinPoints);
  auto* bold = new QCheckBox("Bold", &dialog);
  bold->setChecked(settings.fontWeight > 400);
  auto* italic = new QCheckBox("Italic", &dialog);
  italic->setChecked(settings.fontItalic);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(new QLabel("Font:"), 0, 0);
  grid->addWidget(face, 0, 1);
  grid->addWidget(new QLabel("Size:"), 1, 0);
  grid->addWidget(size, 1, 1);
  grid->addWidget(bold, 2, 1);
  grid->addWidget(italic, 3, 1);
  grid->addWidget(buttons, 4, 0, 1, 2);
  if (dialog.exec() != QDialog::Accepted) return false;
  settings.fontName = face->currentFont().family().toStdString().substr(0, 29);
  // Stored the way the list font has always been stored: a negative
  // character height in pixels.
  settings.fontHeight = -static_cast<int>(std::lround(size->currentData().toInt() * dpi / 72.0));
  settings.fontWeight = bold->isChecked() ? 700 : 400;
  settings.fontItalic = italic->isChecked();
  return true;
}

ConfigDialog::ConfigDialog(Settings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setWindowTitle("Configuration");
  auto* layout = new QVBoxLayout(this);

  auto* fontBox = new QGroupBox("Font", this);
  auto* fontRow = new QHBoxLayout(fontBox);
  fontText_ = new QLineEdit(FontDescription(settings_), fontBox);
  fontText_->setReadOnly(true);
  auto* fontChange = new QPushButton("Change", fontBox);
  fontRow->addWidget(fontText_, 1);
  fontRow->addWidget(fontChange);
  connect(fontChange, &QPushButton::clicked, this, &ConfigDialog::ChangeFont);
  layout->addWidget(fontBox);

  auto* colorBox = new QGroupBox("Color", this);
  auto* colorGrid = new QGridLayout(colorBox);
  const char* swatchTexts[5] = {"Text", "    ", "Mark", "Cursor", "Mark + Cursor"};
  for (int i = 0; i < 5; ++i) {
    swatches_[i] = new QLabel(swatchTexts[i], colorBox);
    swatches_[i]->setAlignment(Qt::AlignCenter);
    swatches_[i]->setMinimumWidth(90);
    swatches_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    colorGrid->addWidget(swatches_[i], 0, i);
  }
  auto* textChange = new QPushButton("Change", colorBox);
  auto* backChange = new QPushButton("Change", colorBox);
  auto* markChange = new QPushButton("Change", colorBox);
  colorGrid->addWidget(textChange, 1, 0);
  colorGrid->addWidget(backChange, 1, 1);
  colorGrid->addWidget(markChange, 1, 2);
  colorGrid->addWidget(new QLabel("Text"), 2, 0, Qt::AlignCenter);
  colorGrid->addWidget(new QLabel("Background"), 2, 1, Qt::AlignCenter);
  colorGrid->addWidget(new QLabel("Marked"), 2, 2, Qt::AlignCenter);
  connect(textChange, &QPushButton::clicked, this, &ConfigDialog::ChangeTextColor);
  connect(backChange, &QPushButton::clicked, this, &ConfigDialog::ChangeBackColor);
  connect(markChange, &QPushButton::clicked, this, &ConfigDialog::ChangeMarkColor);
  layout->addWidget(colorBox);
  RefreshSwatches();

  auto* driveBox = new QGroupBox("WDS/ SCS / IDE / CF7A+ drives", this);
  auto* driveLayout = new QVBoxLayout(driveBox);
  auto* driveText = new QLabel(
      "Select the drive letters which are allowed to use for reading and writing WDS, SCS, IDE, CF7A+ images.",
      driveBox);
  driveText->setWordWrap(true);
  driveLayout->addWidget(driveText);
  auto* driveGrid = new QGridLayout;
  for (int bit = 0; bit < 26; ++bit) {
    auto* box = new QCheckBox(QString("%1:").arg(QChar('A' + bit)), driveBox);
    box->setProperty("driveBit", bit);
    box->setChecked(settings_.driveLetters & (1u << bit));
    // The system drive is never offered for raw writing.
    if (bit == 2) box->setEnabled(false);
    connect(box, &QCheckBox::toggled, this, &ConfigDialog::OnDriveToggled);
    driveGrid->addWidget(box, bit / 13, bit % 13);
  }
  driveLayout->addLayout(driveGrid);
  layout->addWidget(driveBox);

  auto* miscBox = new QGroupBox("Miscellaneous", this);
  auto* miscLayout = new QVBoxLayout(miscBox);
  auto* wheel = new QCheckBox("Enable windows mouse wheel messages when scroll wheel doesn't work.", miscBox);
  auto* quellan = new QCheckBox("Enable Ti994w and Quellan compatibility.", miscBox);
  auto* tifiles = new QCheckBox("Save all extracted files in TIFILES format.", miscBox);
  wheel->setChecked(settings_.mouseWheel != 0);
  quellan->setChecked(settings_.quellanCompatible != 0);
  tifiles->setChecked(settings_.extractTifiles != 0);
  connect(wheel, &QCheckBox::toggled, this, &ConfigDialog::OnWheelToggled);
  connect(quellan, &QCheckBox::toggled, this, &ConfigDialog::OnQuellanToggled);
  connect(tifiles, &QCheckBox::toggled, this, &ConfigDialog::OnTifilesToggled);
  for (QCheckBox* box : {wheel, quellan, tifiles}) miscLayout->addWidget(box);
  layout->addWidget(miscBox);

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

void ConfigDialog::RefreshSwatches() {
  const Settings& s = settings_;
  SetSwatch(swatches_[0], s.textColor, s.backColor);
  SetSwatch(swatches_[1], s.textColor, s.backColor);
  SetSwatch(swatches_[2], s.markColor, s.backColor);
  SetSwatch(swatches_[3], s.backColor, s.textColor);
  SetSwatch(swatches_[4], s.markColor, s.textColor);
}

void ConfigDialog::ChangeFont() {
  if (!ChooseListFont(this, settings_)) return;
  fontText_->setText(FontDescription(settings_));
  emit lookChanged();
}

void ConfigDialog::ChangeColor(uint32_t& color) {
  const QColor chosen = QColorDialog::getColor(ColorFromRef(color), this);
  if (!chosen.isValid() || RefFromColor(chosen) == color) return;
  color = RefFromColor(chosen);
  RefreshSwatches();
  emit lookChanged();
}

void ConfigDialog::ChangeTextColor() { ChangeColor(settings_.textColor); }
void ConfigDialog::ChangeBackColor() { ChangeColor(settings_.backColor); }
void ConfigDialog::ChangeMarkColor() { ChangeColor(settings_.markColor); }

void ConfigDialog::OnDriveToggled(bool checked) {
  const int bit = sender() ? sender()->property("driveBit").toInt() : -1;
  if (bit < 0 || bit > 25 || bit == 2) return;
  if (checked) settings_.driveLetters |= 1u << bit;
  else settings_.driveLetters &= ~(1u << bit);
}

void ConfigDialog::OnWheelToggled(bool checked) {
  settings_.mouseWheel = checked ? 1 : 0;
  emit lookChanged();
}

void ConfigDialog::OnQuellanToggled(bool checked) {
  settings_.quellanCompatible = checked ? 1 : 0;
  GetNameSettings().quellanCompatible = checked;
}

void ConfigDialog::OnTifilesToggled(bool checked) {
  settings_.extractTifiles = checked ? 1 : 0;
  GetNameSettings().extractTifiles = checked;
}

}  // namespace korvane::ui
