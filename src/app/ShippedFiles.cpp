#include "app/ShippedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/Dialogs.h"

namespace {

std::string& ChosenPaletteFolder() {
  static std::string folder;
  return folder;
}

std::string& ChosenPaletteExtension() {
  static std::string extension;
  return extension;
}

}  // namespace

std::string ShippedFolder(const std::string& name) {
  const QString relative = "velmora/" + QString::fromStdString(name);
  QStringList candidates;
  candidates << QCoreApplication::applicationDirPath() + "/../share/" + relative;
  for (const QString& data :
       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
    candidates << data + "/" + relative;
  }
#ifdef VELMORA_SOURCE_DIR
  candidates << FromBytes(VELMORA_SOURCE_DIR) + "/" + QString::fromStdString(name);
#endif
  for (const QString& candidate : candidates) {
    const QFileInfo folder(candidate);
    if (folder.isDir()) return ToBytes(QDir::cleanPath(folder.absoluteFilePath()));
  }
  return "";
}

std::string PaletteDialogFolder() {
  if (!ChosenPaletteFolder().empty()) return ChosenPaletteFolder();
  return ShippedFolder("palettes");
}

std::string PaletteSaveFolder() { return ChosenPaletteFolder(); }

void RememberPaletteFolder(const std::string& chosenFile) {
  const QFileInfo file(FromBytes(chosenFile));
  ChosenPaletteFolder() = chosenFile.empty() ? "" : ToBytes(file.absolutePath());
  ChosenPaletteExtension() = file.suffix().toLower().toStdString();
}

std::string PaletteDialogFilter(const std::string& filter) {
  if (ChosenPaletteExtension().empty()) return "";
  const QString pattern = "*." + QString::fromStdString(ChosenPaletteExtension());
  const QStringList parts = QString::fromStdString(filter).split('|');
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i + 1].compare(pattern, Qt::CaseInsensitive) == 0) return parts[i].toStdString();
  }
  return "";
}
