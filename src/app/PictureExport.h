#pragma once

#include <string>

#include "app/dialogs/TDlgExportPicture.h"
#include "core/colour/TVoldViewProps.h"
#include "core/fractal/TFractProps.h"

class QWidget;

// A picture to export: the window's record and colours, the fractal file it carries, and
// the file, size and samples chosen.
struct TPictureExportJob {
  TFractProps props;
  TVoldViewProps settings;
  std::string fractalBytes;
  TExportChoice choice;
  int32_t threads = 0;  // computing threads, 0 for every core
};

enum class TExportResult { Written, Cancelled, Failed };

// Renders and writes the picture of job on a thread of its own, with the computing threads
// under it, while the program stays responsive. After about half a second a progress dialog
// (object name "ExportProgress") shows how far it is and can cancel it; a cancelled or failed
// export leaves no file behind and the old file, if any, as it was. Failed comes with the
// reason in errorText.
TExportResult RunPictureExport(QWidget* parent, const TPictureExportJob& job,
                               std::string& errorText);
