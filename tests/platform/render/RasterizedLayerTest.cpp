#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Label.h"
#include "tests/support/ManualClockTest.h"

#include <algorithm>
#include <cstdlib>

namespace {

using graphics::Color;

class RasterizedLayerTest : public mivo::test::ManualClockTest {
protected:
    // A dark box holding a white, shadowed label, the way subtitles look.
    void SetUp() override
    {
        ManualClockTest::SetUp();
        box = ui::View::create({0, 0, 160, 60});
        box->setBackgroundColor(Color::rgba(0.1, 0.2, 0.3));
        label = ui::Label::create({10.5, 12.25, 140, 30});
        label->setText("甲乙 subtitle");
        label->setTextColor(Color::white());
        label->setBackgroundColor(std::nullopt);
        label->setOpaque(false);
        label->layer().setShadowColor(Color::black());
        label->layer().setShadowOffset({3, 3});
        label->layer().setShadowOpacity(0.9);
        label->layer().setShadowRadius(4);
        label->layer().setRasterizationScale(kScale);
        box->addSubview(label);
    }

    std::shared_ptr<graphics::Image> draw(bool rasterize)
    {
        label->layer().setShouldRasterize(rasterize);
        return render::Renderer(kScale).renderView(*box);
    }

    // Compositing a kept picture may round a channel differently from drawing in place, by a
    // step or two; a misplaced or stale picture differs by far more.
    static ::testing::AssertionResult samePixels(const graphics::Image& a, const graphics::Image& b)
    {
        if (a.pixelWidth() != b.pixelWidth() || a.pixelHeight() != b.pixelHeight())
            return ::testing::AssertionFailure() << "sizes differ";
        int worst = 0;
        for (int y = 0; y < a.pixelHeight(); ++y) {
            for (int x = 0; x < a.pixelWidth(); ++x) {
                uint32_t p = a.pixel(x, y), q = b.pixel(x, y);
                for (int shift = 0; shift < 32; shift += 8)
                    worst = std::max(worst, std::abs(int((p >> shift) & 255) - int((q >> shift) & 255)));
            }
        }
        if (worst > 2)
            return ::testing::AssertionFailure() << "a channel differs by " << worst;
        return ::testing::AssertionSuccess();
    }

    static constexpr double kScale = 2;
    std::shared_ptr<ui::View> box;
    std::shared_ptr<ui::Label> label;
};

TEST_F(RasterizedLayerTest, LooksTheSameAsDrawingItEachTime)
{
    auto direct = draw(false);
    auto first = draw(true);
    auto reused = draw(true);
    EXPECT_TRUE(samePixels(*direct, *first));
    EXPECT_TRUE(samePixels(*direct, *reused));
    EXPECT_NE(label->layer().rasterCache(), nullptr);
}

TEST_F(RasterizedLayerTest, AChangeOfContentOrLookMakesANewPicture)
{
    struct Change {
        const char* what;
        std::function<void()> apply;
    } changes[] = {
        {"text", [&] { label->setText("丙丁 another"); }},
        {"colour", [&] { label->setTextColor(Color::rgba(1, 0.8, 0)); }},
        {"shadow",
            [&] {
                label->layer().setShadowOffset({-2, 5});
            }},
        {"size",
            [&] {
                label->setFrame({10.5, 12.25, 100, 40});
            }},
        {"position",
            [&] {
                label->setFrame({3.25, 4.5, 100, 40});
            }},
    };
    for (const auto& change : changes) {
        draw(true);
        change.apply();
        auto cached = draw(true);
        auto direct = draw(false);
        EXPECT_TRUE(samePixels(*direct, *cached)) << change.what;
    }
}

TEST_F(RasterizedLayerTest, AnotherScaleIsDrawnDirectly)
{
    label->layer().setRasterizationScale(1);
    auto direct = draw(false);
    EXPECT_TRUE(samePixels(*direct, *draw(true)));
    EXPECT_EQ(label->layer().rasterCache(), nullptr);
}

} // namespace
