#include "platform/graphics/SaturationMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__x86_64__)
#include <immintrin.h>
#define MIVO_SATURATION_X86 1
#endif

namespace graphics {

namespace {

inline uint8_t clampToByte(int32_t sum)
{
    const int32_t value = (sum + SaturationMatrix::kDivisor / 2) >> 8;
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

void applyPixelPortable(const uint8_t* in, uint8_t* out, const SaturationMatrix::Matrix& m)
{
    uint8_t result[4];
    for (int j = 0; j < 4; ++j) {
        int32_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += static_cast<int32_t>(in[i]) * m[4 * i + j];
        result[j] = clampToByte(sum);
    }
    for (int j = 0; j < 3; ++j)
        result[j] = std::min(result[j], result[3]);
    std::memcpy(out, result, 4);
}

#if MIVO_SATURATION_X86

// Four pixels per step: one multiply-add per output channel gives pairwise sums, two horizontal
// adds finish them, and byte shuffles put the channels back in pixel order.
__attribute__((target("avx2"))) void applyRowAvx2(
    const uint8_t* in, uint8_t* out, int width, const SaturationMatrix::Matrix& m)
{
    __m256i weights[4];
    for (int j = 0; j < 4; ++j) {
        const short a = m[j], b = m[4 + j], c = m[8 + j], d = m[12 + j];
        weights[j] = _mm256_setr_epi16(a, b, c, d, a, b, c, d, a, b, c, d, a, b, c, d);
    }
    const __m256i rounding = _mm256_set1_epi32(SaturationMatrix::kDivisor / 2);
    const __m256i order = _mm256_setr_epi8(0, 2, 4, 6, 1, 3, 5, 7, 8, 10, 12, 14, 9, 11, 13, 15, 0, 2, 4, 6,
        1, 3, 5, 7, 8, 10, 12, 14, 9, 11, 13, 15);
    const __m128i alphaOf = _mm_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m256i pixels
            = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x)));
        __m256i low
            = _mm256_hadd_epi32(_mm256_madd_epi16(pixels, weights[0]), _mm256_madd_epi16(pixels, weights[1]));
        __m256i high
            = _mm256_hadd_epi32(_mm256_madd_epi16(pixels, weights[2]), _mm256_madd_epi16(pixels, weights[3]));
        low = _mm256_srai_epi32(_mm256_add_epi32(low, rounding), 8);
        high = _mm256_srai_epi32(_mm256_add_epi32(high, rounding), 8);
        __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(low, high), _mm256_setzero_si256());
        bytes = _mm256_shuffle_epi8(bytes, order);
        __m128i result = _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, _MM_SHUFFLE(3, 1, 2, 0)));
        result = _mm_min_epu8(result, _mm_shuffle_epi8(result, alphaOf));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), result);
    }
    for (; x < width; ++x)
        applyPixelPortable(in + 4 * x, out + 4 * x, m);
}

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

#endif

} // namespace

SaturationMatrix::Matrix SaturationMatrix::make(double s)
{
    const double weights[16] = {
        0.0722 + 0.9278 * s,
        0.0722 - 0.0722 * s,
        0.0722 - 0.0722 * s,
        0, //
        0.7152 - 0.7152 * s,
        0.7152 + 0.2848 * s,
        0.7152 - 0.7152 * s,
        0, //
        0.2126 - 0.2126 * s,
        0.2126 - 0.2126 * s,
        0.2126 + 0.7873 * s,
        0, //
        0,
        0,
        0,
        1,
    };
    Matrix matrix {};
    for (int i = 0; i < 16; ++i) {
        const float scaled = static_cast<float>(weights[i] * kDivisor);
        const float rounded = std::round(scaled); // halves away from zero
        constexpr float lowest = std::numeric_limits<int16_t>::min();
        constexpr float highest = std::numeric_limits<int16_t>::max();
        matrix[i] = static_cast<int16_t>(std::isnan(rounded) ? 0.0f : std::clamp(rounded, lowest, highest));
    }
    return matrix;
}

void SaturationMatrix::apply(const PixelBuffer& source, const PixelBuffer& destination, const Matrix& matrix)
{
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* in = source.row(y);
        uint8_t* out = destination.row(y);
#if MIVO_SATURATION_X86
        if (cpuHasAvx2()) {
            applyRowAvx2(in, out, source.width, matrix);
            continue;
        }
#endif
        for (int x = 0; x < source.width; ++x)
            applyPixelPortable(in + 4 * x, out + 4 * x, matrix);
    }
}

} // namespace graphics
