#pragma once

#include <string>

// The folders of the files that come with the program (examples/, palettes/): beside an
// installed program in ../share/velmora/NAME, else in the desktop's data folders
// (velmora/NAME), else, for a program run from its build folder, NAME in the source tree.
// "" when none of them exists.
std::string ShippedFolder(const std::string& name);

// The folder the palette editor's Open dialog starts in: the shipped palettes until a palette
// file is chosen in this run, then the folder of the last one chosen.
std::string PaletteDialogFolder();
// The folder its Save dialog starts in: that of the last palette file chosen, else "" (the
// dialog's own choice), for the shipped palettes may well be read only.
std::string PaletteSaveFolder();
// "" forgets the choice: the dialogs start in the shipped palettes again.
void RememberPaletteFolder(const std::string& chosenFile);
// The caption of the filter (of filter: captions and patterns alternating with "|") whose
// pattern is "*." and the extension of the last palette file chosen, so that a folder of GIMP
// palettes shows them again; "" (the first filter) when there is none.
std::string PaletteDialogFilter(const std::string& filter);
