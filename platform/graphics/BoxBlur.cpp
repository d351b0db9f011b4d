#include "platform/graphics/BoxBlur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#define MIVO_BOX_BLUR_X86 1
#endif

namespace graphics {

namespace {

// Boxes up to this size keep their row sums in 16 bits (257 x 255 = 65535) and their box sums
// in 32 bits; larger ones take the wide path.
constexpr uint32_t kNarrowBoxLimit = 257;
// A radius large enough to need more is treated as this box; nobody blurs that much on purpose.
constexpr uint32_t kMaxBoxSize = 65535;

// Exact floor((sum + area / 2) / area) for sum < 256 x area, as a multiply and a shift:
// q = ((sum + half) x multiplier) >> shift, with the multiplier below 2^32 and the shift >= 32
// so that the vector code can use 32 x 32 -> 64-bit multiplies.
struct Divider {
    uint64_t area = 1;
    uint32_t half = 0;
    uint32_t multiplier = 0;
    unsigned shift = 32;

    explicit Divider(uint64_t boxArea)
        : area(boxArea)
        , half(static_cast<uint32_t>(boxArea / 2))
    {
        // (sum + half) x area < 256 x area^2 <= 2^shift makes the quotient exact.
        if (area == 0 || area > uint64_t {kNarrowBoxLimit} * kNarrowBoxLimit)
            return; // wide boxes divide plainly
        unsigned bits = 0;
        while ((uint64_t {1} << bits) < 256 * area * area)
            ++bits;
        shift = std::max(32u, bits);
        multiplier = static_cast<uint32_t>(((uint64_t {1} << shift) + area - 1) / area);
    }
    uint8_t operator()(uint64_t sum) const
    {
        return static_cast<uint8_t>(((sum + half) * multiplier) >> shift);
    }
};

// A row widened with edge pixels: padded[j] = row[clamp(j - (r + 1))], w + 2r + 1 pixels.
void padRow(const uint8_t* row, int w, int r, uint32_t* padded)
{
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, row, 4);
    std::memcpy(&last, row + 4 * static_cast<size_t>(w - 1), 4);
    std::fill_n(padded, r + 1, first);
    std::memcpy(padded + r + 1, row, 4 * static_cast<size_t>(w));
    std::fill_n(padded + r + 1 + w, r, last);
}

// Sum of the edge-extended window for x = -1, that is of padded[0 .. 2r], per channel.
void initialRowSum(const uint8_t* row, int w, int r, uint32_t sum[4])
{
    const int inside = std::min(r, w);
    for (int c = 0; c < 4; ++c) {
        uint32_t s = static_cast<uint32_t>(r + 1) * row[c];
        for (int i = 0; i < inside; ++i)
            s += row[4 * i + c];
        s += static_cast<uint32_t>(r - inside) * row[4 * (w - 1) + c];
        sum[c] = s;
    }
}

template<typename HT>
void horizontalRowPortable(const uint8_t* row, uint32_t* padded32, int w, int r, HT* out)
{
    padRow(row, w, r, padded32);
    const auto* padded = reinterpret_cast<const uint8_t*>(padded32);
    uint32_t sum[4];
    initialRowSum(row, w, r, sum);
    const uint8_t* enter = padded + 4 * (2 * static_cast<size_t>(r) + 1);
    const uint8_t* leave = padded;
    for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 4; ++c) {
            sum[c] += enter[c];
            sum[c] -= leave[c];
            out[c] = static_cast<HT>(sum[c]);
        }
        enter += 4;
        leave += 4;
        out += 4;
    }
}

template<typename HT, typename VT>
void verticalRowPortable(
    const HT* add, const HT* sub, VT* sums, uint8_t* out, size_t n, const Divider& divider)
{
    if constexpr (sizeof(VT) == 4) {
        for (size_t i = 0; i < n; ++i) {
            sums[i] = sums[i] + add[i] - sub[i];
            out[i] = divider(sums[i]);
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            sums[i] = sums[i] + add[i] - sub[i];
            out[i] = static_cast<uint8_t>((sums[i] + divider.half) / divider.area);
        }
    }
}

#if MIVO_BOX_BLUR_X86

// The edge pixels are written eight at a time; the buffer has room for the overrun.
__attribute__((target("avx2"))) void padRowAvx2(const uint8_t* row, int w, int r, uint32_t* padded)
{
    uint32_t first;
    uint32_t last;
    std::memcpy(&first, row, 4);
    std::memcpy(&last, row + 4 * static_cast<size_t>(w - 1), 4);
    const __m256i left = _mm256_set1_epi32(static_cast<int>(first));
    for (int i = 0; i < r + 1; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(padded + i), left);
    std::memcpy(padded + r + 1, row, 4 * static_cast<size_t>(w));
    const __m256i right = _mm256_set1_epi32(static_cast<int>(last));
    for (int i = r + 1 + w; i < 2 * r + 1 + w; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(padded + i), right);
}

// The window for x = -1 (see initialRowSum), four pixels at a time in 16-bit lanes.
__attribute__((target("avx2"))) void initialRowSumAvx2(const uint8_t* row, int w, int r, uint32_t sum[4])
{
    const int inside = std::min(r, w);
    __m256i acc = _mm256_setzero_si256();
    int i = 0;
    for (; i + 4 <= inside; i += 4)
        acc = _mm256_add_epi16(
            acc, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * i))));
    alignas(32) uint16_t lanes[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
    for (int c = 0; c < 4; ++c) {
        uint32_t s = static_cast<uint32_t>(lanes[c]) + lanes[4 + c] + lanes[8 + c] + lanes[12 + c];
        for (int k = i; k < inside; ++k)
            s += row[4 * k + c];
        s += static_cast<uint32_t>(r + 1) * row[c];
        s += static_cast<uint32_t>(r - inside) * row[4 * (w - 1) + c];
        sum[c] = s;
    }
}

__attribute__((target("avx2"))) void horizontalRowAvx2(
    const uint8_t* row, uint32_t* padded32, int w, int r, uint16_t* out)
{
    padRowAvx2(row, w, r, padded32);
    const auto* padded = reinterpret_cast<const uint8_t*>(padded32);
    uint32_t initial[4];
    initialRowSumAvx2(row, w, r, initial);
    // Two pixels per step: the second lane pair carries the first's difference too, so the
    // running sum advances by a prefix sum inside the register. 16-bit wrap-around is harmless
    // because every true sum fits.
    const auto lane = [&](int c) { return static_cast<short>(static_cast<uint16_t>(initial[c])); };
    __m128i sum = _mm_setr_epi16(lane(0), lane(1), lane(2), lane(3), lane(0), lane(1), lane(2), lane(3));
    const uint8_t* enter = padded + 4 * (2 * static_cast<size_t>(r) + 1);
    const uint8_t* leave = padded;
    int x = 0;
    for (; x + 2 <= w; x += 2) {
        __m128i in = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(enter + 4 * x)));
        __m128i gone = _mm_cvtepu8_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(leave + 4 * x)));
        __m128i delta = _mm_sub_epi16(in, gone);
        delta = _mm_add_epi16(delta, _mm_slli_si128(delta, 8));
        __m128i result = _mm_add_epi16(sum, delta);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), result);
        sum = _mm_unpackhi_epi64(result, result);
    }
    if (x < w) {
        int32_t in;
        int32_t gone;
        std::memcpy(&in, enter + 4 * x, 4);
        std::memcpy(&gone, leave + 4 * x, 4);
        __m128i delta = _mm_sub_epi16(
            _mm_cvtepu8_epi16(_mm_cvtsi32_si128(in)), _mm_cvtepu8_epi16(_mm_cvtsi32_si128(gone)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 4 * x), _mm_add_epi16(sum, delta));
    }
}

__attribute__((target("avx2"))) inline __m256i divideAvx2(
    __m256i sums, __m256i half, __m256i multiplier, __m128i shift, __m128i shiftHigh)
{
    __m256i y = _mm256_add_epi32(sums, half);
    __m256i low = _mm256_srl_epi64(_mm256_mul_epu32(y, multiplier), shift);
    // The odd lanes' quotients land in the upper halves when shifted by 32 less.
    __m256i high = _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(y, 32), multiplier), shiftHigh);
    return _mm256_blend_epi32(low, high, 0xAA);
}

__attribute__((target("avx2"))) inline __m256i load16Avx2(const uint16_t* p)
{
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

__attribute__((target("avx2"))) void verticalRowAvx2(
    const uint16_t* add, const uint16_t* sub, uint32_t* sums, uint8_t* out, size_t n, const Divider& divider)
{
    const __m256i half = _mm256_set1_epi32(static_cast<int>(divider.half));
    const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(divider.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(divider.shift));
    const __m128i shiftHigh = _mm_cvtsi32_si128(static_cast<int>(divider.shift - 32));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        auto* s = reinterpret_cast<__m256i*>(sums + i);
        __m256i s0 = _mm256_sub_epi32(
            _mm256_add_epi32(_mm256_loadu_si256(s), load16Avx2(add + i)), load16Avx2(sub + i));
        __m256i s1 = _mm256_sub_epi32(
            _mm256_add_epi32(_mm256_loadu_si256(s + 1), load16Avx2(add + i + 8)), load16Avx2(sub + i + 8));
        _mm256_storeu_si256(s, s0);
        _mm256_storeu_si256(s + 1, s1);
        __m256i q0 = divideAvx2(s0, half, multiplier, shift, shiftHigh);
        __m256i q1 = divideAvx2(s1, half, multiplier, shift, shiftHigh);
        // packus works per 128-bit lane: the dwords come out as q0[0..3], q1[0..3], q0[4..7], q1[4..7].
        __m256i words = _mm256_packus_epi32(q0, q1);
        __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
        bytes = _mm_shuffle_epi32(bytes, _MM_SHUFFLE(3, 1, 2, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
    }
    for (; i < n; ++i) {
        sums[i] = sums[i] + add[i] - sub[i];
        out[i] = divider(sums[i]);
    }
}

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

template<typename HT, typename VT> struct Kernels {
    void (*horizontal)(const uint8_t* row, uint32_t* padded, int w, int r, HT* out);
    void (*vertical)(const HT* add, const HT* sub, VT* sums, uint8_t* out, size_t n, const Divider&);
};

// One box pass: row sums go into a ring of the rows the vertical window still needs, and the
// vertical window slides over them, so each source row is summed once and the working set stays
// a few rows (boxSize + 1 at most).
template<typename HT, typename VT>
void convolvePass(const PixelBuffer& src, const PixelBuffer& dst, uint32_t box, Kernels<HT, VT> kernels)
{
    const int w = src.width;
    const int h = src.height;
    const int r = static_cast<int>(box / 2);
    const size_t n = 4 * static_cast<size_t>(w);
    const int ringRows = static_cast<int>(std::min<int64_t>(h, static_cast<int64_t>(box) + 1));
    // Eight pixels of slack for the vector code's edge writes.
    std::vector<uint32_t> padded(static_cast<size_t>(w) + 2 * static_cast<size_t>(r) + 1 + 8);
    std::vector<HT> ring(n * static_cast<size_t>(ringRows));
    std::vector<VT> sums(n);
    const Divider divider(static_cast<uint64_t>(box) * box);

    auto ringRow = [&](int y) { return ring.data() + n * static_cast<size_t>(y % ringRows); };
    int computed = 0;
    auto computeThrough = [&](int y) {
        for (; computed <= y; ++computed) {
            kernels.horizontal(src.row(computed), padded.data(), w, r, ringRow(computed));
        }
    };

    // Window for y = -1: rows -r-1 .. r-1, clamped.
    const int inside = std::min(r, h);
    computeThrough(inside - 1);
    const HT* first = ringRow(0);
    for (size_t i = 0; i < n; ++i)
        sums[i] = static_cast<VT>(static_cast<VT>(r + 1) * first[i]);
    for (int k = 0; k < inside; ++k) {
        const HT* line = ringRow(k);
        for (size_t i = 0; i < n; ++i)
            sums[i] += line[i];
    }
    if (r > inside) {
        const HT* last = ringRow(h - 1);
        for (size_t i = 0; i < n; ++i)
            sums[i] += static_cast<VT>(r - inside) * last[i];
    }

    for (int y = 0; y < h; ++y) {
        const int entering = std::min(y + r, h - 1);
        const int leaving = std::max(y - r - 1, 0);
        computeThrough(entering);
        kernels.vertical(ringRow(entering), ringRow(leaving), sums.data(), dst.row(y), n, divider);
    }
}

void copyPixels(const PixelBuffer& src, const PixelBuffer& dst)
{
    for (int y = 0; y < src.height; ++y)
        std::memcpy(dst.row(y), src.row(y), 4 * static_cast<size_t>(src.width));
}

void convolveOnce(const PixelBuffer& src, const PixelBuffer& dst, uint32_t box, BoxBlur::Implementation impl)
{
    if (src.width <= 0 || src.height <= 0)
        return;
    box = std::min(box | 1u, kMaxBoxSize);
    if (box == 1) {
        copyPixels(src, dst);
        return;
    }
    if (box > kNarrowBoxLimit) {
        convolvePass<uint32_t, uint64_t>(
            src, dst, box, {horizontalRowPortable<uint32_t>, verticalRowPortable<uint32_t, uint64_t>});
        return;
    }
#if MIVO_BOX_BLUR_X86
    if (impl == BoxBlur::Implementation::Best && cpuHasAvx2()) {
        convolvePass<uint16_t, uint32_t>(src, dst, box, {horizontalRowAvx2, verticalRowAvx2});
        return;
    }
#else
    (void)impl;
#endif
    convolvePass<uint16_t, uint32_t>(
        src, dst, box, {horizontalRowPortable<uint16_t>, verticalRowPortable<uint16_t, uint32_t>});
}

} // namespace

uint32_t BoxBlur::boxSize(double radiusPoints, double scale)
{
    constexpr double kSquareRootOfTwoPi = 2.5066282746310002;
    const double pixelRadius = radiusPoints * scale;
    const double size = std::floor(pixelRadius * 3.0 * kSquareRootOfTwoPi / 4.0 + 0.5);
    uint32_t box = 0;
    if (size >= kMaxBoxSize)
        box = kMaxBoxSize;
    else if (size > 0)
        box = static_cast<uint32_t>(size);
    if (box % 2 == 0)
        box += 1;
    return box;
}

void BoxBlur::convolve(
    const PixelBuffer& source, const PixelBuffer& destination, uint32_t boxSize, Implementation impl)
{
    convolveOnce(source, destination, boxSize, impl);
}

void BoxBlur::convolveThreeTimes(
    const PixelBuffer& a, const PixelBuffer& b, uint32_t boxSize, Implementation impl)
{
    convolveOnce(a, b, boxSize, impl);
    convolveOnce(b, a, boxSize, impl);
    convolveOnce(a, b, boxSize, impl);
}

bool BoxBlur::hasVectorPath()
{
#if MIVO_BOX_BLUR_X86
    return cpuHasAvx2();
#else
    return false;
#endif
}

} // namespace graphics
