#pragma once

class QWidget;

// Help context numbers of the program's windows and dialogs.
enum THelpContext : int {
  kHelpContents = 1,
  kHelpFractalDialog = 2,
  kHelpColorDialog = 3,
  kHelpPaletteEditor = 4,
  kHelpRegister = 24,
  kHelpSelectZoom = 40,
  kHelpOpenProject = 53,
  kHelpNewProject = 54,
  kHelpExportProject = 56,
  kHelpExportPicture = 60,
};

// Opens the program's help at the page of context (the contents for an unknown one), in one
// help window that stays open beside the program.
void ShowHelp(QWidget* parent, int context);

// The resource path of the page of a context, e.g. ":/help/fractal.html".
const char* HelpPage(int context);
// The context of the page last opened, for tests; 0 when none was.
int LastHelpContext();
