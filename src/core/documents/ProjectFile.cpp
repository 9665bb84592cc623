#include "core/documents/ProjectFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "core/documents/FractalFile.h"
#include "core/files/FileNames.h"
#include "core/report/ErrorReporter.h"
#include "core/report/Assert.h"
#include "core/values/ValueUnits.h"
#include "core/xml/TXMLItem.h"

namespace {

constexpr const char* kExtensions[] = {".wav", ".tkm", ".tkw"};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// What stands at a path, seen without following a link: a link is replaced or deleted as
// itself.
enum class TEntry { None, Folder, Other };

// False when the system cannot tell, with the reason in error.
bool EntryAt(const std::string& path, TEntry& entry, std::string& error) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    entry = S_ISDIR(st.st_mode) ? TEntry::Folder : TEntry::Other;
    return true;
  }
  const int reason = errno;
  // A missing temp folder, or a file in its place, holds no copies.
  if (reason == ENOENT || reason == ENOTDIR) {
    entry = TEntry::None;
    return true;
  }
  error = "the copy " + Quoted(path) + " cannot be checked: " + std::strerror(reason);
  return false;
}

// One change to the copies of a save: a new copy renamed over a saved one, or a saved copy
// deleted (newCopy empty).
struct TCopyChange {
  std::string newCopy;
  std::string savedCopy;
  TEntry saved = TEntry::None;
};

// The changes that put the new copies below count in the place of the saved ones.
bool PromoteChanges(const TProjectPaths& paths, int32_t count, std::vector<TCopyChange>& changes,
                    std::string& error) {
  for (int32_t k = 0; k < count; ++k) {
    for (const char* extension : kExtensions) {
      TCopyChange change{paths.NewCopy(k, extension), paths.SavedCopy(k, extension), TEntry::None};
      TEntry fresh = TEntry::None;
      if (!EntryAt(change.newCopy, fresh, error) ||
          !EntryAt(change.savedCopy, change.saved, error)) {
        return false;
      }
      if (fresh == TEntry::Folder) {
        error = "the new copy " + Quoted(change.newCopy) + " is a folder";
        return false;
      }
      if (fresh == TEntry::None) change.newCopy.clear();
      if (fresh != TEntry::None || change.saved != TEntry::None) changes.push_back(change);
    }
  }
  return true;
}

// The deletes of the saved copies numbered from "from" up to the first number of which none
// exists.
bool DeleteChanges(const TProjectPaths& paths, int32_t from, std::vector<TCopyChange>& changes,
                   std::string& error) {
  for (int32_t k = from;; ++k) {
    bool any = false;
    for (const char* extension : kExtensions) {
      TCopyChange change{"", paths.SavedCopy(k, extension), TEntry::None};
      if (!EntryAt(change.savedCopy, change.saved, error)) return false;
      if (change.saved == TEntry::None) continue;
      any = true;
      changes.push_back(change);
    }
    if (!any) return true;
  }
}

std::string ChangeFailure(const TCopyChange& change, const std::string& reason) {
  return "the old copy " + Quoted(change.savedCopy) +
         (change.newCopy.empty() ? " cannot be deleted: " : " cannot be replaced: ") + reason;
}

// A folder can neither be deleted as a file nor replaced by one.
bool CheckChange(const TCopyChange& change, std::string& error) {
  if (change.saved != TEntry::Folder) return true;
  error = ChangeFailure(change, "it is a folder");
  return false;
}

bool MakeChange(const TCopyChange& change, std::string& error) {
  const bool done = change.newCopy.empty()
                        ? ::unlink(change.savedCopy.c_str()) == 0
                        : std::rename(change.newCopy.c_str(), change.savedCopy.c_str()) == 0;
  if (done) return true;
  error = ChangeFailure(change, std::strerror(errno));
  return false;
}

// Makes the changes in order; the first that fails ends them with its reason.
bool MakeChanges(const std::vector<TCopyChange>& changes, std::string& error) {
  for (const TCopyChange& change : changes) {
    if (!MakeChange(change, error)) return false;
  }
  return true;
}

std::unique_ptr<TDTDItem> Geometry() {
  using namespace dtd;
  return Concat(Attribute("Left"), Attribute("Top"), Attribute("Width"), Attribute("Height"),
                Choice(Compound("Minimized", Empty()), Compound("Maximized", Empty()),
                       Compound("Normal", Empty())));
}

std::unique_ptr<TDTDItem> Document(const char* name) {
  using namespace dtd;
  return Compound(name, Concat(Optional(Attribute("File")), Optional(Attribute("TempFile"))));
}

}  // namespace

const TDTDItem& ProjectFileDTD() {
  using namespace dtd;
  static const std::unique_ptr<TDTDItem> grammar = Compound(
      "Project",
      Concat(Attribute("Version"), Attribute("NoNameCounter"), Compound("Frame", Geometry()),
             RepeatMin0(Compound("Window", Concat(Choice(Document("Wave"), Document("Music")),
                                                  Optional(Attribute("Name")), Geometry())))));
  return *grammar;
}

bool TProjectPaths::Split(const std::string& projectPath) {
  std::string folder, file, name, extension, error;
  // A bare file name lies in the current folder.
  if (projectPath.empty()) return false;
  if (!PathOfPathFile(projectPath, folder, file, error)) {
    folder = ".";
    file = projectPath;
  }
  NameOfFile(file, name, extension, error);
  if (file.find('.') == std::string::npos) name = file;
  m_tempDirectory = folder + kPathSeparator + name + "TempSaveFiles";
  m_folder = folder.empty() ? std::string(1, kPathSeparator) : folder;
  return true;
}

std::string TProjectPaths::NewCopy(int32_t n, const std::string& extension) const {
  return m_tempDirectory + kPathSeparator + "newProjectWindowFile" + std::to_string(n) + extension;
}

std::string TProjectPaths::SavedCopy(int32_t n, const std::string& extension) const {
  return SavedCopyStem(std::to_string(n)) + extension;
}

std::string TProjectPaths::SavedCopyStem(const std::string& number) const {
  return m_tempDirectory + kPathSeparator + "savedProjectWindowFile" + number;
}

bool TProjectPaths::CheckFolder(std::string& error) const {
  struct stat st {};
  if (::stat(m_folder.c_str(), &st) != 0) {
    const int reason = errno;
    error = "the folder " + Quoted(m_folder) +
            (reason == ENOENT ? " does not exist"
                              : std::string(" cannot be reached: ") + std::strerror(reason));
    return false;
  }
  if (S_ISDIR(st.st_mode)) return true;
  error = Quoted(m_folder) + " is not a folder";
  return false;
}

bool TProjectPaths::EnsureTempDirectory(std::string& error) const {
  const std::string failure =
      "the folder " + Quoted(m_tempDirectory) + " for the temp copies cannot be made: ";
  struct stat st {};
  if (::stat(m_tempDirectory.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    error = failure + "a file of that name is in the way";
    return false;
  }
  if (::mkdir(m_tempDirectory.c_str(), 0777) == 0) return true;
  const int reason = errno;
  error = failure + std::strerror(reason);
  return false;
}

bool TProjectPaths::CheckCopiesReplaceable(int32_t count, std::string& error) const {
  std::vector<TCopyChange> changes;
  if (!PromoteChanges(*this, count, changes, error) ||
      !DeleteChanges(*this, count, changes, error)) {
    return false;
  }
  for (const TCopyChange& change : changes) {
    if (!CheckChange(change, error)) return false;
  }
  // Renames and deletes change the temp folder itself.
  if (!changes.empty() && ::access(m_tempDirectory.c_str(), W_OK) != 0) {
    const int reason = errno;
    error = "the old copies in " + Quoted(m_tempDirectory) +
            " cannot be replaced: " + std::strerror(reason);
    return false;
  }
  return true;
}

bool TProjectPaths::PromoteNewCopies(int32_t count, std::string& error) const {
  std::vector<TCopyChange> changes;
  return PromoteChanges(*this, count, changes, error) && MakeChanges(changes, error);
}

bool TProjectPaths::DeleteSavedCopies(int32_t from, std::string& error) const {
  std::vector<TCopyChange> changes;
  return DeleteChanges(*this, from, changes, error) && MakeChanges(changes, error);
}

void TProjectPaths::DiscardNewCopies(int32_t count) const {
  for (int32_t k = 0; k < count; ++k) {
    for (const char* extension : kExtensions) ::unlink(NewCopy(k, extension).c_str());
  }
}

const char* WindowStateName(int state) {
  switch (state) {
    case 1: return "Minimized";
    case 2: return "Maximized";
    default: return "Normal";
  }
}

int WindowStateOf(const std::string& element) {
  if (element == "Normal") return 0;
  if (element == "Minimized") return 1;
  if (element == "Maximized") return 2;
  return -1;
}

namespace {

bool CheckProjectVersion(const std::string& version, std::string& error) {
  if (version == kProjectVersion) return true;
  error = "the project file has the version \"" + version +
          "\", and this program reads only version 1.0.";
  return false;
}

// The check before the grammar sees the file's last Version element, and text after the
// Project element may hold another one than the Project's own: that one is checked too.
TXMLReadStatus CheckProjectTreeVersion(TXMLReadStatus status,
                                       std::unique_ptr<TXMLComplexElement>& root,
                                       std::string& message) {
  if (status != TXMLReadStatus::Ok) return status;
  const TXMLItem* xmlVersion = root->GetFirst()->GetFirst();
  if (CheckProjectVersion(xmlVersion->GetText(), message)) return status;
  root.reset();
  return TXMLReadStatus::Failed;
}

}  // namespace

TXMLReadStatus ReadProjectTree(const std::string& path, std::unique_ptr<TXMLComplexElement>& root,
                               std::string& message) {
  const TXMLReadStatus status =
      ReadXMLFile(path, ProjectFileDTD(), CheckProjectVersion, root, message);
  return CheckProjectTreeVersion(status, root, message);
}

TXMLReadStatus ReadProjectTreeBytes(const std::string& bytes,
                                    std::unique_ptr<TXMLComplexElement>& root,
                                    std::string& message) {
  const TXMLReadStatus status =
      ReadXMLBytes(bytes, ProjectFileDTD(), CheckProjectVersion, root, message);
  return CheckProjectTreeVersion(status, root, message);
}

TProjectWindow ProjectWindowOf(const TXMLItem& xmlWindow) {
  TProjectWindow w;
  const TXMLItem* xmlDocument = xmlWindow.GetFirst();
  VELMORA_ASSERT(xmlDocument != nullptr, "xmlDocument != NULL");
  w.wave = xmlDocument->GetElement() == "Wave";
  for (const TXMLItem* c = xmlDocument->GetFirst(); c != nullptr; c = c->Next()) {
    if (c->GetElement() == "File") {
      w.hasFile = true;
      w.file = c->GetText();
    } else if (c->GetElement() == "TempFile") {
      w.hasTempFile = true;
      w.tempFile = c->GetText();
    }
  }
  const TXMLItem* next = xmlDocument->Next();
  if (next != nullptr && next->GetElement() == "Name") {
    w.name = next;
    next = next->Next();
  }
  w.geometry = next;
  return w;
}

std::string ProjectWindowFile(const std::string& projectPath, const std::string& file) {
  if (file.empty() || file.front() == kPathSeparator) return file;
  std::string folder, name, error;
  if (!PathOfPathFile(projectPath, folder, name, error)) return file;
  return folder + kPathSeparator + file;
}

bool ReadGeometry(const TXMLItem* first, const std::function<void(int, int32_t)>& apply,
                  int& state, std::string& message, int32_t& line, int32_t& column) {
  int32_t values[4] = {0, 0, 0, 0};
  const char* names[4] = {"Left", "Top", "Width", "Height"};
  const TXMLItem* xml = first;
  for (int i = 0; i < 4; ++i) {
    VELMORA_ASSERT(xml != nullptr && xml->GetElement() == names[i], "xmlGeometry != NULL");
    // A place may be anywhere; a size must be at least one pixel, which also refuses a
    // width or height that is no number at all.
    unitInteger place;
    unitIntegerPosMore size;
    unit& value = i < 2 ? static_cast<unit&>(place) : static_cast<unit&>(size);
    if (!value.ReadXML(*xml, message, line, column)) return false;
    values[i] = i < 2 ? place.GetValue() : size.GetValue();
    if (apply) apply(i, values[i]);
    xml = xml->Next();
  }
  VELMORA_ASSERT(xml != nullptr, "xmlWindowState != NULL");
  state = WindowStateOf(xml->GetElement());
  VELMORA_ASSERT(state >= 0, "xmlWindowState != NULL");
  return true;
}

namespace {

// The part of a read after the grammar: the values and the windows, handed to reader.
TProjectReadResult ReadProjectValues(TXMLReadStatus status, const TXMLComplexElement* root,
                                     const std::string& path, TProjectReader& reader,
                                     std::string& errorText) {
  if (status == TXMLReadStatus::CannotOpen) return TProjectReadResult::CannotOpen;
  if (status != TXMLReadStatus::Ok) return TProjectReadResult::Failed;

  int32_t line = 0;
  int32_t column = 0;
  auto fail = [&](const std::string& message) {
    errorText = WithPosition(message, line, column);
    return TProjectReadResult::Failed;
  };
  const TXMLItem* xmlProject = root->GetFirst();
  const TXMLItem* xmlVersion = xmlProject->GetFirst();
  VELMORA_ASSERT(xmlVersion->GetText() == kProjectVersion, "version == \"1.0\"");

  const TXMLItem* xmlNoNameCounter = xmlVersion->Next();
  unitInteger counter;
  std::string message;
  if (!counter.ReadXML(*xmlNoNameCounter, message, line, column)) return fail(message);
  reader.SetNoNameCounter(counter.GetValue());

  const TXMLItem* xmlFrame = xmlNoNameCounter->Next();
  int state = 0;
  if (!ReadGeometry(xmlFrame->GetFirst(), [&](int i, int32_t v) { reader.SetFrameValue(i, v); },
                    state, message, line, column)) {
    return fail(message);
  }
  reader.SetFrameState(state);

  TProjectPaths paths;
  std::string lastName;
  for (const TXMLItem* xmlWindow = xmlFrame->Next(); xmlWindow != nullptr;
       xmlWindow = xmlWindow->Next()) {
    const TProjectWindow w = ProjectWindowOf(*xmlWindow);
    line = xmlWindow->Line;
    column = xmlWindow->Column;
    std::string tempPath;
    if (w.hasTempFile) {
      // A temp copy is named by its number and nothing else.
      const TXMLItem* xmlTempFile = xmlWindow->GetFirst()->GetFirst();
      while (xmlTempFile->GetElement() != "TempFile") xmlTempFile = xmlTempFile->Next();
      unitIntegerPos number;
      line = xmlTempFile->Line;
      column = xmlTempFile->Column;
      if (w.tempFile.find_first_not_of("0123456789") != std::string::npos) {
        return fail("In TempFile: \"" + w.tempFile + "\" is not the number of a temp copy.");
      }
      if (!number.ReadXML(*xmlTempFile, message, line, column)) return fail(message);
      if (!paths.Split(path)) return fail("The project has no folder for its temp copies.");
      tempPath = paths.SavedCopy(number.GetValue());
    }
    if (!w.wave) continue;
    if (!w.hasTempFile && !w.hasFile) continue;  // nothing to open
    const std::string file = ProjectWindowFile(path, w.file);
    if (!reader.OpenWindow(file, tempPath)) return fail("");
    std::string name = w.name != nullptr ? w.name->GetText() : "";
    if (!name.empty() && reader.NameInUse(name)) {
      ErrorReporter.ProjectWindowNameExists(file, name);
      name.clear();
    }
    if (!reader.ApplyWindow(name, w.geometry, message, line, column)) return fail(message);
    lastName = name;
  }
  reader.LastName(lastName);
  return TProjectReadResult::Read;
}

}  // namespace

TProjectReadResult ReadProject(const std::string& path, TProjectReader& reader,
                               std::string& errorText) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status = ReadProjectTree(path, root, errorText);
  return ReadProjectValues(status, root.get(), path, reader, errorText);
}

TProjectReadResult ReadProjectBytes(const std::string& bytes, const std::string& path,
                                    TProjectReader& reader, std::string& errorText) {
  std::unique_ptr<TXMLComplexElement> root;
  const TXMLReadStatus status = ReadProjectTreeBytes(bytes, root, errorText);
  return ReadProjectValues(status, root.get(), path, reader, errorText);
}
