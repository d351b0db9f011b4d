#include "components/imageviewer/AnimatedGIFUtility.h"

#include "platform/graphics/GifDecoder.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"

#include <utility>

bool AnimatedGIFUtility::imageURLIsAGIF(const std::string& text)
{
    return text.size() >= 3 && text.compare(text.size() - 3, 3, "gif") == 0;
}

int32_t AnimatedGIFUtility::greatestCommonDivisor(int32_t a, int32_t b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    if (a < b)
        std::swap(a, b);
    while (b != 0)
        a = std::exchange(b, a % b);
    return a;
}

AnimatedGIFUtility::Rhythm AnimatedGIFUtility::rhythmForDelays(const std::vector<int32_t>& delays)
{
    Rhythm rhythm;
    if (delays.empty())
        return rhythm;
    int32_t step = delays.front();
    for (size_t i = 1; i < delays.size(); ++i)
        step = greatestCommonDivisor(delays[i], step);
    for (int32_t delay : delays)
        rhythm.totalCentiseconds += delay;
    rhythm.stepCentiseconds = step;
    if (step == 0 || rhythm.totalCentiseconds / step > kMaxFrameListEntries)
        return rhythm;
    rhythm.frameList.reserve(size_t(rhythm.totalCentiseconds / step));
    for (size_t i = 0; i < delays.size(); ++i)
        rhythm.frameList.insert(rhythm.frameList.end(), size_t(delays[i] / step), i);
    return rhythm;
}

std::shared_ptr<graphics::Image> AnimatedGIFUtility::animatedImageWithAnimatedGIFData(
    std::span<const uint8_t> data)
{
    auto animation = graphics::GifDecoder::decode(data);
    if (!animation)
        return nullptr;
    std::vector<int32_t> delays;
    delays.reserve(animation->frames.size());
    for (const auto& frame : animation->frames)
        delays.push_back(frame.hasGraphicControl ? frame.delayCentiseconds : 1);
    Rhythm rhythm = rhythmForDelays(delays);
    if (rhythm.frameList.empty())
        return nullptr;
    std::vector<std::shared_ptr<graphics::Image>> images;
    images.reserve(rhythm.frameList.size());
    for (size_t index : rhythm.frameList)
        images.push_back(animation->frames[index].image);
    return graphics::Image::createAnimated(std::move(images), double(rhythm.totalCentiseconds) / 100.0);
}

std::shared_ptr<graphics::Image> AnimatedGIFUtility::animatedImageWithAnimatedGIFURL(const std::string& url)
{
    std::string path = url.rfind("file://", 0) == 0 ? url.substr(7) : url;
    auto bytes = graphics::readImageFile(path);
    if (!bytes)
        return nullptr;
    return animatedImageWithAnimatedGIFData(*bytes);
}
