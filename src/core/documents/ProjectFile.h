#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/xml/TDTDItem.h"

class TXMLComplexElement;
class TXMLItem;

// The grammar of a project file, built on first use and kept.
const TDTDItem& ProjectFileDTD();

// The version of the project files this program writes and reads.
inline constexpr const char* kProjectVersion = "1.0";

// Where the temp copies of a project's windows live: beside the project, in the folder
// "<base>TempSaveFiles", as newProjectWindowFile<n> while a save runs and as
// savedProjectWindowFile<n> afterwards. Each step of a save that can fail says why in error,
// naming the file: "the folder "/p/sTempSaveFiles" for the temp copies cannot be made: ...".
class TProjectPaths {
 public:
  // False for an empty path; a bare file name lies in the current folder.
  bool Split(const std::string& projectPath);

  // The folder the project file lies in.
  const std::string& Folder() const { return m_folder; }
  const std::string& TempDirectory() const { return m_tempDirectory; }
  std::string NewCopy(int32_t n, const std::string& extension = ".wav") const;
  std::string SavedCopy(int32_t n, const std::string& extension = ".wav") const;
  // The saved copy named by a TempFile text, without extension.
  std::string SavedCopyStem(const std::string& number) const;

  // False when the project's folder does not exist or is no folder.
  bool CheckFolder(std::string& error) const;
  // Makes the temp folder unless it exists; false when it cannot be made.
  bool EnsureTempDirectory(std::string& error) const;
  // Checks, before the project file is replaced, what would stop PromoteNewCopies(count) and
  // DeleteSavedCopies(count) half-way: a copy that is a folder, a temp folder that cannot be
  // changed. A save refused here keeps the previous project and its copies.
  bool CheckCopiesReplaceable(int32_t count, std::string& error) const;
  // Renames newProjectWindowFile<k> (.wav, .tkm, .tkw) over savedProjectWindowFile<k> for
  // k < count and deletes the saved copies of those k that have no new one. A rename replaces
  // the saved copy in one step, so the saved name never goes missing; false when a rename or
  // a delete fails.
  bool PromoteNewCopies(int32_t count, std::string& error) const;
  // Deletes savedProjectWindowFile<k> (.wav, .tkm, .tkw) for k = from, from + 1, ... up to
  // the first k of which none exists: the copies of an earlier save beyond the new ones.
  // False when a delete fails.
  bool DeleteSavedCopies(int32_t from, std::string& error) const;
  // Deletes the new copies below count of a save that failed half-way, so that they never
  // stand for the saved ones.
  void DiscardNewCopies(int32_t count) const;

 private:
  std::string m_folder;
  std::string m_tempDirectory;
};

// The three window states as element names.
const char* WindowStateName(int state);  // 0 Normal, 1 Minimized, 2 Maximized
int WindowStateOf(const std::string& element);  // -1 for another name

// Reads a project file and matches its grammar. A Version other than 1.0 is refused with a
// message. On Ok root holds "Root" with the Project element as its first child.
TXMLReadStatus ReadProjectTree(const std::string& path, std::unique_ptr<TXMLComplexElement>& root,
                               std::string& message);
// The same for a file's content in memory.
TXMLReadStatus ReadProjectTreeBytes(const std::string& bytes,
                                    std::unique_ptr<TXMLComplexElement>& root,
                                    std::string& message);

// What a Window element of a project says about its document.
struct TProjectWindow {
  bool wave = true;  // false for Music, which is skipped
  bool hasFile = false;
  std::string file;
  bool hasTempFile = false;
  std::string tempFile;
  const TXMLItem* name = nullptr;      // the Name element, or null
  const TXMLItem* geometry = nullptr;  // the Left element; Top, Width, Height and the state follow
};

// Takes a Window element apart.
TProjectWindow ProjectWindowOf(const TXMLItem& xmlWindow);

// The file a window's File element names. A relative name is taken from the project's
// folder, so that a project and the fractal files beside it can be moved or installed
// together and opened from any folder; an absolute name, or a project named without a
// folder, leaves it as it is.
std::string ProjectWindowFile(const std::string& projectPath, const std::string& file);

// Reads Left, Top, Width and Height (index 0 to 3) from the elements starting at first and
// hands each to apply as soon as it is read, then the state element after them into state.
// The first bad number ends the read with its message and position.
bool ReadGeometry(const TXMLItem* first, const std::function<void(int, int32_t)>& apply,
                  int& state, std::string& message, int32_t& line, int32_t& column);

// What reading a project does with what it finds, in file order. The main window opens
// windows; the command-line check only loads their files.
class TProjectReader {
 public:
  virtual ~TProjectReader() = default;
  virtual void SetNoNameCounter(int32_t value) = 0;
  // Left, Top, Width, Height (index 0 to 3) of the main window, each as soon as it is read.
  virtual void SetFrameValue(int index, int32_t value) = 0;
  virtual void SetFrameState(int state) = 0;
  // Opens the document of a window from its file, or from the temp copy when tempPath is
  // not empty. False when it cannot be read (the reader has shown why).
  virtual bool OpenWindow(const std::string& file, const std::string& tempPath) = 0;
  // Whether an open window already has this name.
  virtual bool NameInUse(const std::string& name) = 0;
  // Gives the window just opened its name and its geometry from the elements at first.
  virtual bool ApplyWindow(const std::string& name, const TXMLItem* first, std::string& message,
                           int32_t& line, int32_t& column) = 0;
  // The name box shows the name taken for the last window read.
  virtual void LastName(const std::string& name) = 0;
};

// The outcome of reading a project.
enum class TProjectReadResult { CannotOpen = 0, Read = 1, Failed = 2 };

// Reads the project at path into reader. Failed carries in errorText the reason (the
// reader's or the value's message, with the position where one belongs).
TProjectReadResult ReadProject(const std::string& path, TProjectReader& reader,
                               std::string& errorText);
// The same for the content of a project file in memory; path is where the project stands,
// which places its temp copies.
TProjectReadResult ReadProjectBytes(const std::string& bytes, const std::string& path,
                                    TProjectReader& reader, std::string& errorText);
