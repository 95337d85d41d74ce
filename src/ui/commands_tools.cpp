// The tool commands of the main window that run a core engine through a
// dialog of their own: setting the attributes of TI files kept as PC files
// creating a new, empty floppy image and rewriting the PC headers of TI
// files between the V9T9 and TIFILES layouts; and the conversions of PC99
// images and archives into the other pane's directory. Like the file commands they are
// refused while another long command runs.
#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "archive/arc_commands.h"
#include "catalog/listing.h"
#include "fileops/file_commands.h"
#include "floppy/pc99_convert.h"
#include "fileops/header_convert.h"
#include "ui/commands.h"
#include "ui/operation_dialog.h"
#include "ui/card_format_dialog.h"
#include "ui/tool_dialog.h"

namespace korvane::ui {

void Commands::Attributes() {
  if (busy_ || !Active().hasRows) return;
  if (!CheckSetAttributes(Active().state)) return;
  const AttributeStates initial = InitialAttributeStates(Active().state);
  ToolDialog dialog(window_, "Set file attributes", QString::fromStdString(AttributeText(Active().state)), "Set");
  auto* protect = new AttributeBox("Write protect", initial.protect, &dialog);
  auto* archive = new AttributeBox("Archive", initial.archive, &dialog);
  dialog.Controls()->addWidget(protect);
  dialog.Controls()->addWidget(archive);
  dialog.SetEngine([this, protect, archive](Progress& progress) {
    const AttributeStates states{protect->State(), archive->State()};
    RunLong([this, &progress, states] {
      SetAttributes(Active().state, states, progress);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::CreateDskImage() {
  if (busy_ || !Active().hasRows) return;
  if (Active().state.locationType != kLocPcDirectory) return;
  FormatDialog dialog(window_, "Create new DSK image", "Create");
  dialog.SetEngine([this, &dialog](Progress& progress) {
    const std::string name = dialog.Label()->text().toStdString();
    const NewImageGeometry geometry = dialog.Geometry();
    RunLong([this, &progress, &name, &geometry] {
      CreateImage(Active().state, name, geometry, progress);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::ConvertHeaderKind(bool toTifiles) {
  if (busy_ || !Active().hasRows) return;
  if (!CheckHeaderConversionPane(Active().state)) return;
  const HeaderDirection direction = toTifiles ? HeaderDirection::ToTifiles : HeaderDirection::ToV9t9;
  OperationDialog::Options o;
  o.title = HeaderConversionCaption(direction);
  o.text = QString::fromStdString(HeaderConversionText(Active().state, direction));
  o.action = "Convert";
  OperationDialog dialog(window_, o);
  dialog.SetEngine([this, direction](Progress& progress) {
    RunLong([this, &progress, direction] {
      ConvertHeaders(Active().state, direction, progress);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::ConvertPc99() {
  if (busy_ || !Active().hasRows || !Other().hasRows) return;
  if (!CheckPc99Conversion(Active().state, Other().state)) return;
  OperationDialog::Options o;
  o.title = "Convert PC99 disk(s)";
  o.text = QString::fromStdString(Pc99ConversionText(Active().state));
  o.action = "Convert";
  o.destination = QString::fromUtf8(LocationText(Other().state));
  OperationDialog dialog(window_, o);
  dialog.SetEngine([this](Progress& progress) {
    RunLong([this, &progress] {
      RunPc99Conversion(Active().state, Other().state, progress);
      AfterOpen(Active());
      AfterOpen(Other());
    });
  });
  dialog.exec();
  emit panesChanged();
}

// The two commands that turn archive (and image) rows into new directories
// or images in the other pane: a text, the destination, a progress bar for
// the files of a row and one for the rows.
void Commands::RunIntoOther(const char* title, const std::string& text, const char* action,
                            const std::function<void(Progress& files, Progress& rows)>& engine) {
  ToolDialog dialog(window_, title, QString::fromStdString(text), action);
  auto* destination = new QLineEdit(QString::fromUtf8(LocationText(Other().state)), &dialog);
  destination->setReadOnly(true);
  dialog.Controls()->addWidget(destination);
  Progress& files = dialog.InnerProgress();
  dialog.SetEngine([this, &files, &engine](Progress& rows) {
    RunLong([this, &files, &rows, &engine] {
      engine(files, rows);
      AfterOpen(Active());
      AfterOpen(Other());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::ExtractAllRows() {
  if (busy_ || !Active().hasRows || !Other().hasRows) return;
  if (!CheckExtractAll(Other().state)) return;
  RunIntoOther("Extract files from ARC's and DSK's", ExtractAllText(Active().state), "Extract",
               [this](Progress& files, Progress& rows) { ExtractAll(Active().state, Other().state, files, rows); });
}

void Commands::ArcToImage() {
  if (busy_ || !Active().hasRows || !Other().hasRows) return;
  if (!CheckArcToDsk(Other().state)) return;
  RunIntoOther("Convert ARC to V9T9 DSK image(s)", ArcToDskText(Active().state), "Convert",
               [this](Progress& files, Progress& rows) { ConvertArcsToDsk(Active().state, Other().state, files, rows); });
}

}  // namespace korvane::ui
