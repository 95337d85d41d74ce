// The file commands of the main window: copy, delete, rename and create
// directory, each through its dialog and the file-command engines.
#include <QLineEdit>
#include <QMessageBox>

#include "catalog/listing.h"
#include "fileops/container_kinds.h"
#include "fileops/file_commands.h"
#include "ui/commands.h"
#include "ui/operation_dialog.h"

namespace korvane::ui {
namespace {

// An empty name field is refused with a message and the dialog stays open.
bool NameGiven(OperationDialog& dialog, const char* message) {
  if (!dialog.Field()->text().isEmpty()) return true;
  QMessageBox::critical(&dialog, "Korvane", message);
  return false;
}

}  // namespace

void Commands::Copy() {
  if (busy_ || !Active().hasRows || !Other().hasRows) return;
  if (!CheckCopy(Active().state, Other().state)) return;
  // A card's volume list gives and takes whole disk images.
  const auto isCardList = [](const PaneState& p) { return ContainerOfLocation(p.locationType).volumeList; };
  if (isCardList(Active().state)) {
    CopyCardVolumesOut();
    return;
  }
  if (isCardList(Other().state)) {
    CopyImagesOntoCard();
    return;
  }
  OperationDialog::Options o;
  o.title = "Copy file(s)";
  o.text = QString::fromStdString(CopyText(Active().state, Other().state));
  o.action = "Copy";
  o.destination = QString::fromUtf8(LocationText(Other().state));
  OperationDialog dialog(window_, o);
  dialog.SetEngine([this](Progress& progress) {
    RunLong([this, &progress] {
      CopyRows(Active().state, Other().state, progress,
               [this](const CatalogEntry& dos, CatalogEntry& converted) { return ConvertDosRow(dos, converted); });
      AfterOpen(Active());
      AfterOpen(Other());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::Delete() {
  if (busy_ || !Active().hasRows) return;
  if (!CheckDelete(Active().state)) return;
  OperationDialog::Options o;
  o.title = "Delete file(s)";
  o.text = QString::fromStdString(DeleteText(Active().state));
  o.action = "Delete";
  OperationDialog dialog(window_, o);
  dialog.SetEngine([this](Progress& progress) {
    RunLong([this, &progress] {
      DeleteRows(Active().state, progress);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::Rename() {
  if (busy_ || !Active().hasRows) return;
  PaneState& pane = Active().state;
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return;
  if (!CheckRename(pane)) return;
  const CatalogEntry row = pane.rows[static_cast<size_t>(pane.cursor)];
  OperationDialog::Options o;
  o.title = "Rename file / directory";
  o.text = QString::fromStdString(RenameText(row));
  o.action = "Rename";
  o.field = true;
  o.fieldText = QString::fromStdString(RenameField(row));
  o.progress = false;
  OperationDialog dialog(window_, o);
  dialog.SetFieldFilter([row](const std::string& typed) { return FilterRenameInput(row, typed); });
  dialog.SetCheck([&dialog] { return NameGiven(dialog, "Please enter a name for the file or directory"); });
  dialog.SetEngine([this, &dialog](Progress&) {
    const std::string name = dialog.Field()->text().toStdString();
    RunLong([this, &name] {
      RenameRow(Active().state, name);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::MakeDirectory() {
  if (busy_ || !Active().hasRows) return;
  if (!CheckCreateDirectory(Active().state)) return;
  OperationDialog::Options o;
  o.title = "Create new directory";
  o.action = "Create";
  o.field = true;
  o.fieldLabel = "Directory name";
  o.progress = false;
  OperationDialog dialog(window_, o);
  dialog.SetFieldFilter([](const std::string& typed) { return FilterDirectoryName(typed); });
  dialog.SetCheck([&dialog] { return NameGiven(dialog, "Please enter a name for the directory"); });
  dialog.SetEngine([this, &dialog](Progress&) {
    const std::string name = dialog.Field()->text().toStdString();
    RunLong([this, &name] {
      CreateDirectoryInPane(Active().state, name);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

}  // namespace korvane::ui
