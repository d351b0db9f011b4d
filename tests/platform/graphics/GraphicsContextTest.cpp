#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

#include <gtest/gtest.h>
#include <thread>

using namespace graphics;

namespace {

uint32_t alphaAt(const Image& image, int x, int y)
{
    return image.pixel(x, y) >> 24;
}

int countOpaque(const Image& image)
{
    int n = 0;
    for (int y = 0; y < image.pixelHeight(); ++y)
        for (int x = 0; x < image.pixelWidth(); ++x)
            n += alphaAt(image, x, y) == 255;
    return n;
}

} // namespace

TEST(ImageContext, ScaleZeroUsesTheScreenScaleAndDrawsInPoints)
{
    ASSERT_EQ(screenScale(), 2.0);
    beginImageContext({10, 10}, false, 0);
    GraphicsContext* context = currentContext();
    ASSERT_NE(context, nullptr);
    context->fillRect({0, 0, 5, 5}, Color::red());
    auto image = imageFromCurrentContext();
    endImageContext();
    EXPECT_EQ(currentContext(), nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2.0);
    EXPECT_EQ(image->size(), (Size {10, 10}));
    EXPECT_EQ(image->pixelWidth(), 20);
    EXPECT_EQ(image->pixel(9, 9), 0xFFFF0000u);
    EXPECT_EQ(image->pixel(10, 9), 0u);
    EXPECT_EQ(countOpaque(*image), 100);

    setScreenScale(3);
    beginImageContext({10, 10}, false, 0);
    EXPECT_EQ(imageFromCurrentContext()->pixelWidth(), 30);
    endImageContext();
    setScreenScale(2);
}

TEST(ImageContext, ContextsStackPerThreadAndOpaqueStartsBlack)
{
    beginImageContext({4, 4}, true, 1);
    GraphicsContext* outer = currentContext();
    beginImageContext({2, 2}, false, 1);
    EXPECT_NE(currentContext(), outer);
    GraphicsContext* elsewhere = outer;
    std::thread([&] { elsewhere = currentContext(); }).join();
    EXPECT_EQ(elsewhere, nullptr);
    endImageContext();
    EXPECT_EQ(currentContext(), outer);
    auto image = imageFromCurrentContext();
    endImageContext();
    EXPECT_TRUE(image->isOpaque());
    EXPECT_EQ(image->pixel(3, 3), 0xFF000000u);
    EXPECT_EQ(imageFromCurrentContext(), nullptr);
    endImageContext(); // unbalanced end is harmless
}

TEST(ImageContext, SizeTooLargeForMemoryGivesAnImageWithoutBitmap)
{
    for (Size size : {Size {1e9, 10}, Size {10, 1e7}}) {
        beginImageContext(size, true, 2);
        ASSERT_NE(currentContext(), nullptr);
        currentContext()->fillRect({0, 0, 10, 10}, Color::red());
        auto image = imageFromCurrentContext();
        endImageContext();
        ASSERT_NE(image, nullptr);
        EXPECT_FALSE(image->isBitmapBacked());
        EXPECT_EQ(image->size(), size);
    }
}

TEST(ImageContext, PushedContextsBecomeCurrentWithoutAnImage)
{
    auto target = Image::create(4, 4);
    GraphicsContext context(*target);
    beginImageContext({2, 2}, false, 1);
    pushContext(context);
    EXPECT_EQ(currentContext(), &context);
    EXPECT_EQ(imageFromCurrentContext(), nullptr);
    endImageContext(); // not an image context on top: ignored
    EXPECT_EQ(currentContext(), &context);
    popContext();
    EXPECT_NE(imageFromCurrentContext(), nullptr);
    popContext(); // not a pushed context on top: ignored
    EXPECT_NE(currentContext(), nullptr);
    endImageContext();
    EXPECT_EQ(currentContext(), nullptr);
}

TEST(GraphicsContext, EvenOddLeavesTheHoleOfARingEmpty)
{
    auto ring = [](FillRule rule) {
        auto image = Image::create(40, 40);
        GraphicsContext context(*image);
        context.setFillColor(Color::blue());
        context.addEllipse({0, 0, 40, 40});
        context.addEllipse({10, 10, 20, 20});
        context.fillPath(rule);
        return image;
    };
    auto nonZero = ring(FillRule::NonZero);
    auto evenOdd = ring(FillRule::EvenOdd);
    EXPECT_EQ(nonZero->pixel(20, 20), 0xFF0000FFu);
    EXPECT_EQ(evenOdd->pixel(20, 20), 0u);
    EXPECT_EQ(evenOdd->pixel(5, 20), 0xFF0000FFu);
    EXPECT_EQ(nonZero->pixel(0, 0), 0u);

    // The same with a path object carrying its own rule.
    auto image = Image::create(40, 40);
    GraphicsContext context(*image);
    auto path = BezierPath::oval({0, 0, 40, 40});
    path.append(BezierPath::oval({10, 10, 20, 20}));
    path.setUsesEvenOddFillRule(true);
    context.setFillColor(Color::green());
    path.fill(context);
    EXPECT_EQ(image->pixel(20, 20), 0u);
    EXPECT_EQ(image->pixel(5, 20), 0xFF00FF00u);
    EXPECT_FALSE(path.contains({20, 20}));
    EXPECT_TRUE(path.contains({5, 20}));
    EXPECT_EQ(path.bounds(), (Rect {0, 0, 40, 40}));
}

TEST(GraphicsContext, StrokeWidthCapsAndScale)
{
    auto image = Image::create(40, 40, 2); // 20 x 20 points
    GraphicsContext context(*image);
    context.setStrokeColor(Color::black());
    context.setLineWidth(2); // 4 pixels
    context.moveTo({5, 10});
    context.lineTo({15, 10});
    context.strokePath();
    for (int y = 18; y < 22; ++y)
        EXPECT_EQ(alphaAt(*image, 20, y), 255u) << y;
    EXPECT_EQ(alphaAt(*image, 20, 17), 0u);
    EXPECT_EQ(alphaAt(*image, 20, 22), 0u);
    EXPECT_EQ(alphaAt(*image, 9, 20), 0u); // butt cap stops at x = 10 px

    BezierPath square;
    square.moveTo({5, 5});
    square.addLineTo({15, 5});
    square.setLineWidth(2);
    square.setLineCapStyle(LineCap::Square);
    square.stroke(context);
    EXPECT_EQ(alphaAt(*image, 9, 10), 255u); // square cap reaches x = 8 px
    EXPECT_EQ(alphaAt(*image, 7, 10), 0u);
}

TEST(GraphicsContext, TransformToNothingHidesDrawingOnlyUntilRestore)
{
    auto image = Image::create(20, 20);
    GraphicsContext context(*image);
    context.save();
    context.scale(0, 0);
    context.fillRect({0, 0, 20, 20}, Color::red());
    context.restore();
    EXPECT_EQ(countOpaque(*image), 0);
    context.save();
    context.concat({1, 0, 2, 0, 0, 0}); // singular, not a plain scale
    context.fillRect({0, 0, 20, 20}, Color::red());
    context.restore();
    EXPECT_EQ(countOpaque(*image), 0);
    context.fillRect({0, 0, 10, 10}, Color::red());
    EXPECT_EQ(countOpaque(*image), 100) << "the context still draws";
}

TEST(GraphicsContext, ClipAndSaveRestore)
{
    auto image = Image::create(20, 20);
    GraphicsContext context(*image);
    context.save();
    context.clipToRect({5, 5, 10, 10});
    EXPECT_EQ(context.clipBoundingBox(), (Rect {5, 5, 10, 10}));
    context.fillRect({0, 0, 20, 20}, Color::red());
    context.restore();
    EXPECT_EQ(countOpaque(*image), 100);
    EXPECT_EQ(image->pixel(4, 4), 0u);
    context.save();
    context.translate(10, 0);
    context.fillRect({0, 0, 1, 1}, Color::blue());
    context.restore();
    context.fillRect({0, 0, 1, 1}, Color::green());
    EXPECT_EQ(image->pixel(10, 0), 0xFF0000FFu);
    EXPECT_EQ(image->pixel(0, 0), 0xFF00FF00u);
    context.restore(); // unbalanced restore is ignored
    context.clearRect({5, 5, 2, 2});
    EXPECT_EQ(image->pixel(5, 5), 0u);
}

TEST(GraphicsContext, TransparencyLayerAppliesAlphaToTheGroup)
{
    auto draw = [](bool layer) {
        auto image = Image::create(30, 10);
        GraphicsContext context(*image);
        if (layer)
            context.beginTransparencyLayer(0.5);
        else
            context.setAlpha(0.5);
        context.fillRect({0, 0, 20, 10}, Color::white());
        context.fillRect({10, 0, 20, 10}, Color::white());
        if (layer)
            context.endTransparencyLayer();
        return image;
    };
    auto grouped = draw(true);
    auto separate = draw(false);
    EXPECT_NEAR(alphaAt(*grouped, 15, 5), 128.0, 1.0);
    EXPECT_NEAR(alphaAt(*grouped, 5, 5), 128.0, 1.0);
    EXPECT_NEAR(alphaAt(*separate, 15, 5), 191.0, 1.0);
}

TEST(GraphicsContext, DrawImageScalesIntoTheRect)
{
    auto source = Image::create(2, 2);
    source->setPixel(0, 0, 0xFFFF0000);
    source->setPixel(1, 0, 0xFF00FF00);
    source->setPixel(0, 1, 0xFF0000FF);
    source->setPixel(1, 1, 0xFFFFFFFF);
    auto image = Image::create(30, 30);
    GraphicsContext context(*image);
    context.drawImage(*source, {5, 5, 20, 20});
    EXPECT_EQ(image->pixel(5, 5), 0xFFFF0000u);
    EXPECT_EQ(image->pixel(24, 5), 0xFF00FF00u);
    EXPECT_EQ(image->pixel(5, 24), 0xFF0000FFu);
    EXPECT_EQ(image->pixel(24, 24), 0xFFFFFFFFu);
    EXPECT_EQ(image->pixel(4, 4), 0u);
    EXPECT_EQ(image->pixel(25, 25), 0u);
    EXPECT_EQ(countOpaque(*image), 400); // edges stay solid

    context.drawImage(*source, {0, 0, 2, 2}, 0.5);
    EXPECT_NEAR(alphaAt(*image, 0, 0), 128.0, 1.0);
    context.drawImage(*Image::createWithoutBitmap({10, 10}), {0, 0, 30, 30}); // draws nothing
    EXPECT_EQ(image->pixel(28, 28), 0u);
}

TEST(BezierPath, ArcsRoundedRectsAndTransforms)
{
    auto arc = BezierPath::arc({10, 10}, 10, 0, M_PI, true);
    Rect bounds = arc.bounds();
    EXPECT_NEAR(bounds.maxY(), 10 + 10 * 4.0 / 3.0 * std::tan(M_PI / 8) * std::sqrt(2.0), 3);
    EXPECT_NEAR(arc.currentPoint().x, 0, 1e-9);
    auto counter = BezierPath::arc({10, 10}, 10, 0, M_PI, false);
    EXPECT_LT(counter.bounds().minY(), 0.5);

    auto rounded = BezierPath::roundedRect({0, 0, 20, 10}, 50); // radius clamps to 5
    EXPECT_TRUE(rounded.contains({10, 5}));
    EXPECT_FALSE(rounded.contains({0.5, 0.5}));
    EXPECT_TRUE(BezierPath::rect({0, 0, 20, 10}).contains({0.5, 0.5}));

    auto moved = BezierPath::rect({0, 0, 10, 10});
    moved.applyTransform(AffineTransform::makeTranslation(5, 5).scaled(2, 2));
    EXPECT_EQ(moved.bounds(), (Rect {5, 5, 20, 20}));
    EXPECT_TRUE(BezierPath().bounds().isNull());
}
