#include "core/fractal/TFractArray.h"

#include "core/report/Assert.h"

namespace {

std::string GridText(int32_t width, int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace

template <class T>
TFractArray::TCells<T> TFractArray::AllocateCleared(int64_t count) {
  // All bits zero is 0.0f and 0, the values of a cell not yet computed.
  return TCells<T>(static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T))));
}

TFractArray::TFractArray(int32_t width, int32_t height) : m_width(width), m_height(height) {
  std::string errorText;
  VELMORA_ASSERT(GridSizeAllowed(width, height, errorText), "GridSizeAllowed(width, height)");
  m_depths = AllocateCleared<float>(int64_t{width} * height);
  VELMORA_ASSERT(m_depths != nullptr, "Depths != 0");
  m_cycles = AllocateCleared<int32_t>(int64_t{width} * height);
  VELMORA_ASSERT(m_cycles != nullptr, "Cycles != 0");
}

TFractArray::TFractArray(int32_t width, int32_t height, TCells<float> depths,
                         TCells<int32_t> cycles)
    : m_width(width), m_height(height), m_depths(std::move(depths)), m_cycles(std::move(cycles)) {}

std::unique_ptr<TFractArray> TFractArray::Create(int32_t width, int32_t height,
                                                 std::string& errorText) {
  if (!GridSizeAllowed(width, height, errorText)) return nullptr;
  auto depths = AllocateCleared<float>(int64_t{width} * height);
  TCells<int32_t> cycles;
  if (depths != nullptr) cycles = AllocateCleared<int32_t>(int64_t{width} * height);
  if (depths == nullptr || cycles == nullptr) {
    errorText =
        "Not enough memory for the results of a grid of " + GridText(width, height) + " pixels.";
    return nullptr;
  }
  return std::unique_ptr<TFractArray>(
      new TFractArray(width, height, std::move(depths), std::move(cycles)));
}

bool TFractArray::GridSizeAllowed(int32_t width, int32_t height, std::string& errorText) {
  if (width < 1 || height < 1) {
    errorText = "A grid of " + GridText(width, height) + " pixels is empty.";
    return false;
  }
  if (int64_t{width} * height > kMaxGridCells) {
    errorText = "A grid of " + GridText(width, height) + " pixels is too large: at most " +
                std::to_string(kMaxGridCells) + " pixels can be computed.";
    return false;
  }
  return true;
}
