#include "core/fractal/EngineLanes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "core/fractal/FormulaStep.h"
#include "core/fractal/TFractArray.h"
#include "core/fractal/TFractProps.h"

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VELMORA_LANES 1
#include <immintrin.h>
// For the lambdas of the lane loop, which must or must not become part of it.
#define VELMORA_INLINE __attribute__((always_inline))
#define VELMORA_NOINLINE __attribute__((noinline))
#endif

namespace engine {
namespace {

// The longest cycle history the lanes keep; longer ones take the scalar loop, whose history
// is shared by one pixel at a time.
constexpr int32_t kLaneHistoryLimit = 1024;

#ifdef VELMORA_LANES
// Vectors per lane loop, without and with a cycle test: enough independent steps to hide
// the latency of one, as many as the registers hold.
constexpr int kSse2Groups = 2;
constexpr int kSse2CycleGroups = 2;
constexpr int kAvx2Groups = 2;
constexpr int kAvx2CycleGroups = 2;
constexpr int kAvx512Groups = 4;
constexpr int kAvx512CycleGroups = 3;

// From this R^2 on, the distance of two iterates inside the circle may overflow.
constexpr double kDistanceOverflowOuter2 = 1e300;

// 0, 1, 2, ...: spread over the lanes of a mask, the offsets of the next pixels.
alignas(64) constexpr double kCounting[8] = {0, 1, 2, 3, 4, 5, 6, 7};

// A cell index after every cell of a grid.
constexpr double kBeyondCells = 0x1p60;
#endif

// What a lane loop works on; everything is allocated before it starts.
struct TLaneWork {
  const TSetup* setup;
  TFractArray* target;
  float* depths;
  int32_t* cycles;
  int32_t height;
  int32_t firstColumn;
  int32_t lastColumn;
  TColumnsDoneUpdate columnsDone;
  double* historyRe;  // window slots of one double per lane
  double* historyIm;
  int32_t window;
  uint64_t* steps;
};

}  // namespace
}  // namespace engine

#ifdef VELMORA_LANES

// Each instruction set gets its own copy of the lane loop, compiled for that set only; the
// functions outside these regions, the standard library's among them, stay plain x86-64 and
// run everywhere.

namespace engine {
namespace {
namespace sse2 {

using V = __m128d;
using M = __m128d;
constexpr int kWidth = 2;

inline V Set(double v) { return _mm_set1_pd(v); }
inline V Load(const double* p) { return _mm_load_pd(p); }
inline void Store(double* p, V v) { _mm_store_pd(p, v); }
inline void StoreUnaligned(double* p, V v) { _mm_storeu_pd(p, v); }
inline void StoreFloats(float* p, V v) {
  _mm_storel_pi(reinterpret_cast<__m64*>(p), _mm_cvtpd_ps(v));
}
// The lanes of bits, in order, to p; a whole vector is written.
inline void CompressStore(double* p, unsigned bits, V v) {
  _mm_storeu_pd(p, (bits & 3u) == 2u ? _mm_unpackhi_pd(v, v) : v);
}
inline V Add(V a, V b) { return _mm_add_pd(a, b); }
inline V Sub(V a, V b) { return _mm_sub_pd(a, b); }
inline V Mul(V a, V b) { return _mm_mul_pd(a, b); }
inline V Div(V a, V b) { return _mm_div_pd(a, b); }
inline V Neg(V a) { return _mm_xor_pd(a, _mm_set1_pd(-0.0)); }
inline V Abs(V a) { return _mm_andnot_pd(_mm_set1_pd(-0.0), a); }
inline V Min(V a, V b) { return _mm_min_pd(a, b); }
inline M NotAtMost(V a, V b) { return _mm_cmpnle_pd(a, b); }
inline M Less(V a, V b) { return _mm_cmplt_pd(a, b); }
inline M AtLeast(V a, V b) { return _mm_cmpge_pd(a, b); }
inline M Equal(V a, V b) { return _mm_cmpeq_pd(a, b); }
inline M Or(M a, M b) { return _mm_or_pd(a, b); }
inline M And(M a, M b) { return _mm_and_pd(a, b); }
inline M AndNot(M a, M b) { return _mm_andnot_pd(b, a); }
inline unsigned Bits(M m) { return static_cast<unsigned>(_mm_movemask_pd(m)); }
// The number of lanes in bits; the instruction for it is not part of x86-64 itself.
inline int CountOf(unsigned bits) { return static_cast<int>((bits & 1u) + (bits >> 1 & 1u)); }
inline M MaskOf(unsigned bits) {
  return _mm_castsi128_pd(_mm_set_epi64x((bits & 2u) != 0 ? -1 : 0, (bits & 1u) != 0 ? -1 : 0));
}
inline V Select(M m, V ifSet, V ifClear) {
  return _mm_or_pd(_mm_and_pd(m, ifSet), _mm_andnot_pd(m, ifClear));
}
inline V MaskAdd(V src, M m, V a, V b) { return Select(m, Add(a, b), src); }
inline void MaskStore(double* p, M m, V v) { Store(p, Select(m, v, Load(p))); }
inline V ExpandLoad(V old, unsigned bits, const double* p) {
  switch (bits & 3u) {
    case 1u:
      return _mm_loadl_pd(old, p);
    case 2u:
      return _mm_loadh_pd(old, p);
    case 3u:
      return _mm_loadu_pd(p);
    default:
      return old;
  }
}

#include "core/fractal/EngineLanesKernel.inc"

}  // namespace sse2
}  // namespace
}  // namespace engine

#pragma GCC push_options
#pragma GCC target("avx2,popcnt")

namespace engine {
namespace {
namespace avx2 {

using V = __m256d;
using M = __m256d;
constexpr int kWidth = 4;

// For each mask of four lanes, eight 32-bit halves: a permutation of the lanes.
struct TExpandTable {
  alignas(32) int32_t index[16][8];
};

// For each mask of four lanes: expanding, the 32-bit halves that spread consecutive values
// over the lanes of the mask in order; compressing, the inverse, the halves that gather the
// lanes of the mask in order.
constexpr TExpandTable MakeLaneTable(bool expand) {
  TExpandTable table{};
  for (int bits = 0; bits < 16; ++bits) {
    int next = 0;
    for (int lane = 0; lane < 4; ++lane) {
      if ((bits >> lane & 1) == 0) continue;
      const int to = expand ? lane : next;
      const int from = expand ? next : lane;
      table.index[bits][2 * to] = 2 * from;
      table.index[bits][2 * to + 1] = 2 * from + 1;
      ++next;
    }
  }
  return table;
}

constexpr TExpandTable kExpand = MakeLaneTable(true);
constexpr TExpandTable kCompress = MakeLaneTable(false);

inline V Set(double v) { return _mm256_set1_pd(v); }
inline V Load(const double* p) { return _mm256_load_pd(p); }
inline void Store(double* p, V v) { _mm256_store_pd(p, v); }
inline void StoreUnaligned(double* p, V v) { _mm256_storeu_pd(p, v); }
inline void StoreFloats(float* p, V v) { _mm_storeu_ps(p, _mm256_cvtpd_ps(v)); }
inline V Add(V a, V b) { return _mm256_add_pd(a, b); }
inline V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
inline V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
inline V Div(V a, V b) { return _mm256_div_pd(a, b); }
inline V Neg(V a) { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
inline V Abs(V a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
inline V Min(V a, V b) { return _mm256_min_pd(a, b); }
inline M NotAtMost(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_NLE_UQ); }
inline M Less(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
inline M AtLeast(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
inline M Equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
inline M Or(M a, M b) { return _mm256_or_pd(a, b); }
inline M And(M a, M b) { return _mm256_and_pd(a, b); }
inline M AndNot(M a, M b) { return _mm256_andnot_pd(b, a); }
inline unsigned Bits(M m) { return static_cast<unsigned>(_mm256_movemask_pd(m)); }
inline int CountOf(unsigned bits) { return std::popcount(bits); }
inline M MaskOf(unsigned bits) {
  const __m256i lanes = _mm256_setr_epi64x(1, 2, 4, 8);
  const __m256i set = _mm256_and_si256(_mm256_set1_epi64x(static_cast<int64_t>(bits)), lanes);
  return _mm256_castsi256_pd(_mm256_cmpeq_epi64(set, lanes));
}
inline V Select(M m, V ifSet, V ifClear) { return _mm256_blendv_pd(ifClear, ifSet, m); }
inline V MaskAdd(V src, M m, V a, V b) { return Select(m, Add(a, b), src); }
inline void MaskStore(double* p, M m, V v) { Store(p, Select(m, v, Load(p))); }
inline void CompressStore(double* p, unsigned bits, V v) {
  const __m256i index =
      _mm256_load_si256(reinterpret_cast<const __m256i*>(kCompress.index[bits & 15u]));
  _mm256_storeu_pd(p, _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(v), index)));
}
inline V ExpandLoad(V old, unsigned bits, const double* p) {
  const __m256i index =
      _mm256_load_si256(reinterpret_cast<const __m256i*>(kExpand.index[bits & 15u]));
  const V spread =
      _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(_mm256_loadu_pd(p)), index));
  return Select(MaskOf(bits), spread, old);
}

#include "core/fractal/EngineLanesKernel.inc"

}  // namespace avx2
}  // namespace
}  // namespace engine

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,popcnt")

namespace engine {
namespace {
namespace avx512 {

using V = __m512d;
using M = __mmask8;
constexpr int kWidth = 8;

inline V Set(double v) { return _mm512_set1_pd(v); }
inline V Load(const double* p) { return _mm512_load_pd(p); }
inline void Store(double* p, V v) { _mm512_store_pd(p, v); }
inline void StoreUnaligned(double* p, V v) { _mm512_storeu_pd(p, v); }
// The register form: compressing straight to memory is slow on some processors.
inline void CompressStore(double* p, unsigned bits, V v) {
  _mm512_storeu_pd(p, _mm512_maskz_compress_pd(static_cast<__mmask8>(bits), v));
}
// The zero-masking form: the plain one leaves GCC 12 warning about its own header.
inline void StoreFloats(float* p, V v) { _mm256_storeu_ps(p, _mm512_maskz_cvtpd_ps(0xFF, v)); }
inline V Add(V a, V b) { return _mm512_add_pd(a, b); }
inline V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
inline V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
inline V Div(V a, V b) { return _mm512_div_pd(a, b); }
inline V Neg(V a) {
  return _mm512_castsi512_pd(
      _mm512_xor_epi64(_mm512_castpd_si512(a), _mm512_set1_epi64(INT64_MIN)));
}
inline V Abs(V a) { return _mm512_abs_pd(a); }
// Zero-masking for the same reason as StoreFloats.
inline V Min(V a, V b) { return _mm512_maskz_min_pd(0xFF, a, b); }
inline M NotAtMost(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_NLE_UQ); }
inline M Less(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
inline M AtLeast(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
inline M Equal(V a, V b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
inline M Or(M a, M b) { return static_cast<M>(a | b); }
inline M And(M a, M b) { return static_cast<M>(a & b); }
inline M AndNot(M a, M b) { return static_cast<M>(a & ~b); }
inline unsigned Bits(M m) { return m; }
inline int CountOf(unsigned bits) { return std::popcount(bits); }
inline M MaskOf(unsigned bits) { return static_cast<M>(bits); }
inline V Select(M m, V ifSet, V ifClear) { return _mm512_mask_blend_pd(m, ifClear, ifSet); }
inline V MaskAdd(V src, M m, V a, V b) { return _mm512_mask_add_pd(src, m, a, b); }
inline void MaskStore(double* p, M m, V v) { _mm512_mask_store_pd(p, m, v); }
inline V ExpandLoad(V old, unsigned bits, const double* p) {
  return _mm512_mask_expandloadu_pd(old, MaskOf(bits), p);
}

#include "core/fractal/EngineLanesKernel.inc"

}  // namespace avx512
}  // namespace
}  // namespace engine

#pragma GCC pop_options

#endif  // VELMORA_LANES

namespace engine {
namespace {

// An array of doubles aligned for the widest vector.
struct TAlignedDoubles {
  std::unique_ptr<double[]> memory;
  double* data = nullptr;

  bool Allocate(size_t count) {
    constexpr size_t kAlign = 64 / sizeof(double);
    memory.reset(new (std::nothrow) double[count + kAlign]);
    if (memory == nullptr) return false;
    void* p = memory.get();
    size_t space = (count + kAlign) * sizeof(double);
    data = static_cast<double*>(std::align(64, count * sizeof(double), p, space));
    return true;
  }
};

}  // namespace

// The lanes need every start point and c finite: then an arithmetic fault of +, - and x
// shows as an infinity or NaN in z' or its squared modulus (see EngineLanesKernel.inc).
// Points that are not finite, a NaN R^2 or r^2, one-step pictures and long cycle histories
// are left to the scalar loop, which follows the exception flags themselves.
bool LanesCanTake(int formula, const TSetup& s, int32_t height, int32_t firstColumn,
                  int32_t lastColumn) {
  if (formula < 0 || formula > 3) return false;
  // With N >= 1 a fault of formula 3 also shows as a z' that is not finite: a squared
  // modulus too large for a double makes rho and then rho^N infinite. With N <= 0, rho^N
  // would turn it into 1 or 0.
  if (formula == 3 && s.n < 1) return false;
  if (!(s.maxDepth > 1.0) || s.maxCycle > kLaneHistoryLimit) return false;
  if (std::isnan(s.outer2) || std::isnan(s.inner2)) return false;
  if (s.map != MapC && !(std::isfinite(s.c.real()) && std::isfinite(s.c.imag()))) return false;
  for (int32_t y = 0; y < height; ++y) {
    if (!std::isfinite(s.rowsIm[y])) return false;
  }
  for (int32_t x = firstColumn; x < lastColumn; ++x) {
    if (!std::isfinite(MapPixel(s.left, s.right, x * s.columnStride, s.xResolution))) return false;
  }
  return true;
}

bool LanesAvailable(TEnginePath path) {
#ifdef VELMORA_LANES
  __builtin_cpu_init();
  switch (path) {
    case TEnginePath::Sse2:
      return true;
    case TEnginePath::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    case TEnginePath::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("popcnt");
    case TEnginePath::Auto:
    case TEnginePath::Scalar:
      break;
  }
#else
  (void)path;
#endif
  return false;
}

TEnginePath WidestLanes() {
  static const TEnginePath widest = [] {
    for (TEnginePath path : {TEnginePath::Avx512, TEnginePath::Avx2, TEnginePath::Sse2}) {
      if (LanesAvailable(path)) return path;
    }
    return TEnginePath::Scalar;
  }();
  return widest;
}

bool ComputeOnLanes(TEnginePath path, int formula, const TSetup& s, TFractArray& target,
                    int32_t firstColumn, int32_t lastColumn, TColumnsDoneUpdate columnsDone,
                    uint64_t& steps) {
#ifdef VELMORA_LANES
  int32_t width = 0;  // lanes of the chosen loop
  switch (path) {
    case TEnginePath::Sse2:
      width = std::max(kSse2Groups, kSse2CycleGroups) * sse2::kWidth;
      break;
    case TEnginePath::Avx2:
      width = std::max(kAvx2Groups, kAvx2CycleGroups) * avx2::kWidth;
      break;
    case TEnginePath::Avx512:
      width = std::max(kAvx512Groups, kAvx512CycleGroups) * avx512::kWidth;
      break;
    case TEnginePath::Auto:
    case TEnginePath::Scalar:
      return false;
  }
  const int32_t height = target.Height();
  if (!LanesCanTake(formula, s, height, firstColumn, lastColumn)) return false;

  const int32_t window = s.maxCycle + std::max(s.maxCycle, 64);
  TAlignedDoubles historyRe, historyIm;
  const size_t slots =
      s.maxCycle > 0 ? static_cast<size_t>(window) * static_cast<size_t>(width) : 0;
  if (!historyRe.Allocate(slots) || !historyIm.Allocate(slots)) return false;

  steps = 0;
  if (firstColumn == lastColumn) return true;
  const TLaneWork work{&s,          &target,    target.Depths(), target.Cycles(), height,
                       firstColumn, lastColumn, columnsDone,     historyRe.data,  historyIm.data,
                       window,      &steps};
  switch (path) {
    case TEnginePath::Sse2:
      return sse2::RunOnLanes<kSse2Groups, kSse2CycleGroups>(formula, work);
    case TEnginePath::Avx2:
      return avx2::RunOnLanes<kAvx2Groups, kAvx2CycleGroups>(formula, work);
    case TEnginePath::Avx512:
      return avx512::RunOnLanes<kAvx512Groups, kAvx512CycleGroups>(formula, work);
    case TEnginePath::Auto:
    case TEnginePath::Scalar:
      break;
  }
#else
  (void)path, (void)formula, (void)s, (void)target, (void)firstColumn, (void)lastColumn,
      (void)columnsDone, (void)steps;
#endif
  return false;
}

}  // namespace engine
