#include "app/PictureExport.h"

#include <atomic>
#include <cmath>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include "core/colour/PictureRender.h"
#include "core/files/FileNames.h"
#include "png/PicturePng.h"
#include "render/PictureFile.h"

namespace {

// How long an export may run before its progress is shown.
constexpr int kProgressDelayMs = 500;

// Runs on the export's own thread.
bool Export(const TPictureExportJob& job, const TPictureCallbacks& callbacks,
            std::string& errorText) {
  const TExportChoice& c = job.choice;
  if (LowerExtension(c.path) == "png") {
    return RenderPicturePng(job.props, job.settings, {1, 1, c.width, c.height, c.samples}, false,
                            job.fractalBytes, job.threads, callbacks, c.path, errorText);
  }
  if (!WholePictureWritable(c.path, c.width, c.height, errorText)) return false;
  std::vector<uint32_t> argb;
  return RenderPicture(job.props, job.settings, {c.width, c.height, c.samples}, job.threads,
                       callbacks, argb, errorText) &&
         WriteWholePicture(argb, c.width, c.height, c.path, errorText);
}

}  // namespace

TExportResult RunPictureExport(QWidget* parent, const TPictureExportJob& job,
                               std::string& errorText) {
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  std::atomic<int> permille{0};
  bool written = false;
  std::string error;
  TPictureCallbacks callbacks;
  callbacks.stopRequested = [&] { return stop.load(std::memory_order_relaxed); };
  callbacks.progress = [&](double share) {
    permille.store(static_cast<int>(std::lround(share * 1000.0)), std::memory_order_relaxed);
  };

  std::thread worker;
  try {
    worker = std::thread([&] {
      try {
        written = Export(job, callbacks, error);
      } catch (const std::bad_alloc&) {
        error = "There is not enough memory to export the picture.";
      } catch (const std::exception& e) {
        error = e.what();
      }
      done.store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    errorText = "The system cannot start a thread to export the picture.";
    return TExportResult::Failed;
  }

  QProgressDialog progress("Exporting the picture...", "Cancel", 0, 1000, parent);
  progress.setObjectName("ExportProgress");
  progress.setWindowTitle("Export Picture");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressDelayMs);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  const auto cancel = [&] {
    stop.store(true, std::memory_order_relaxed);
    progress.setLabelText("Cancelling...");
  };
  // Escape and the window's close button cancel as the button does.
  QObject::connect(&progress, &QProgressDialog::canceled, cancel);
  QObject::connect(&progress, &QDialog::rejected, cancel);
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(25);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done.load(std::memory_order_acquire)) {
      loop.quit();
      return;
    }
    // setValue also shows the dialog once its delay has passed.
    if (!progress.wasCanceled()) progress.setValue(std::min(permille.load(), 999));
  });
  poll.start();
  if (!done.load(std::memory_order_acquire)) loop.exec();
  poll.stop();
  worker.join();
  progress.hide();

  if (written) return TExportResult::Written;
  if (stop.load() && error.empty()) return TExportResult::Cancelled;
  errorText = error.empty() ? "The export was ended before the picture was complete." : error;
  return TExportResult::Failed;
}
