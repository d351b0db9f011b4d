#include "platform/ui/ImagePickerController.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Camera.h"
#include "tests/platform/ui/UiTest.h"
#include "tests/support/TempHome.h"
#include "tests/support/TimeLimit.h"

#include <filesystem>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using Picker = ui::ImagePickerController;

class RecordingDelegate final : public ui::ImagePickerControllerDelegate {
public:
    std::vector<ui::ImagePickerInfo> results;
    int cancels = 0;
    void imagePickerControllerDidFinishPickingMediaWithInfo(Picker&, const ui::ImagePickerInfo& info) override
    {
        results.push_back(info);
    }
    void imagePickerControllerDidCancel(Picker&) override { ++cancels; }
};

const fs::path kSamples = fs::path(MIVO_SOURCE_DIR) / "Resources/camera";

class ImagePickerControllerTest : public mivo::test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        window = keyWindow();
        root = ui::ViewController::create();
        window->setRootViewController(root);
        delegate = std::make_shared<RecordingDelegate>();
        // Only the EXIF portrait and the movie, so the order of shots is known.
        folder = home.path() / "camera";
        foundation::createDirectories(folder);
        fs::copy_file(kSamples / "sample-photo-5-portrait-exif6.jpg", folder / "a-portrait.jpg");
        fs::copy_file(kSamples / "sample-photo-1.jpg", folder / "b-landscape.jpg");
        fs::copy_file(kSamples / "sample-video.mp4", folder / "movie.mp4");
        ui::Camera::shared().setFolder(folder);
    }
    void TearDown() override
    {
        ui::Camera::shared().setFolder({});
        UiTest::TearDown();
    }

    std::shared_ptr<Picker> present(bool movie)
    {
        auto picker = Picker::create();
        picker->setSourceType(Picker::SourceType::Camera);
        picker->setDelegate(delegate);
        if (movie)
            picker->setMediaTypes({ui::ImagePickerInfo::kMediaTypeMovie});
        root->presentViewController(picker, false);
        runFor(0.1);
        return picker;
    }

    mivo::test::TempHome home;
    fs::path folder;
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ui::ViewController> root;
    std::shared_ptr<RecordingDelegate> delegate;
};

TEST_F(ImagePickerControllerTest, PhotosComeInTurnWithTheirExifOrientation)
{
    auto picker = present(false);
    EXPECT_FALSE(picker->isMovieMode());
    picker->takePicture();
    picker->takePicture();
    picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 3u);
    const auto& first = delegate->results[0];
    EXPECT_EQ(first.mediaType, ui::ImagePickerInfo::kMediaTypeImage);
    ASSERT_TRUE(first.originalImage);
    EXPECT_EQ(first.originalImage->orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(first.originalImage->size(), (graphics::Size {1200, 1600}))
        << "a portrait, as the phone shows it";
    EXPECT_EQ(delegate->results[1].originalImage->orientation(), graphics::ImageOrientation::Up);
    EXPECT_EQ(delegate->results[2].originalImage->orientation(), graphics::ImageOrientation::Right)
        << "round again";
}

TEST_F(ImagePickerControllerTest, AMovieLongerThanTheMaximumIsCutThere)
{
    auto picker = present(true);
    picker->setVideoQuality(Picker::VideoQuality::Type640x480);
    picker->setVideoMaximumDuration(1.0);
    EXPECT_TRUE(picker->isMovieMode());
    picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 1u) << picker->lastError();
    const auto& movie = delegate->results[0];
    EXPECT_EQ(movie.mediaType, ui::ImagePickerInfo::kMediaTypeMovie);
    auto probed = ui::Camera::probe(movie.mediaURL);
    ASSERT_TRUE(probed);
    EXPECT_LE(probed->duration, 1.05);
    EXPECT_GE(probed->duration, 0.9);
    EXPECT_EQ(probed->width, 640);

    // Within the limit the whole movie is kept.
    picker->setVideoMaximumDuration(35);
    picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 2u);
    EXPECT_NEAR(ui::Camera::probe(delegate->results[1].mediaURL)->duration, 2.4, 0.1);
}

TEST_F(ImagePickerControllerTest, AQualityNoSampleFitsDeliversNothingAndSaysSo)
{
    auto picker = present(true);
    picker->setVideoQuality(Picker::VideoQuality::Low); // 192 x 144; the sample is 640 x 480
    picker->takePicture();
    EXPECT_TRUE(delegate->results.empty());
    EXPECT_FALSE(picker->lastError().empty());
    EXPECT_EQ(root->presentedViewController(), picker) << "the camera stays open";
}

TEST_F(ImagePickerControllerTest, CancelGoesToTheDelegateOrDismisses)
{
    auto picker = present(false);
    picker->cancel();
    EXPECT_EQ(delegate->cancels, 1);
    EXPECT_EQ(root->presentedViewController(), picker) << "the delegate dismisses it";

    picker->setDelegate({});
    picker->cancel();
    runFor(1);
    EXPECT_FALSE(root->presentedViewController()) << "without a delegate it dismisses itself";
}

TEST_F(ImagePickerControllerTest, AnEmptyFolderIsNoCamera)
{
    auto empty = home.path() / "empty";
    foundation::createDirectories(empty);
    ui::Camera::shared().setFolder(empty);
    EXPECT_FALSE(Picker::isSourceTypeAvailable(Picker::SourceType::Camera));
    auto picker = present(false);
    picker->takePicture();
    EXPECT_TRUE(delegate->results.empty());
    EXPECT_FALSE(picker->lastError().empty());
}

TEST_F(ImagePickerControllerTest, ASamplePhotoThatDoesNotDecodeIsPassedOver)
{
    // "a-portrait.jpg" comes first; a broken file now sorts before it and one between the two.
    ASSERT_TRUE(foundation::writeFileAtomically(folder / "0-broken.jpg", "not a JPEG"));
    ASSERT_TRUE(foundation::writeFileAtomically(
        folder / "a-truncated.jpg", foundation::readFile(kSamples / "sample-photo-1.jpg")->substr(0, 300)));
    ui::Camera::shared().setFolder(folder);
    auto picker = present(false);
    for (int shot = 0; shot < 4; ++shot)
        picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 4u) << picker->lastError();
    EXPECT_TRUE(picker->lastError().empty());
    EXPECT_EQ(delegate->results[0].originalImage->orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(delegate->results[1].originalImage->orientation(), graphics::ImageOrientation::Up);
    EXPECT_EQ(delegate->results[2].originalImage->orientation(), graphics::ImageOrientation::Right);
    EXPECT_EQ(delegate->results[3].originalImage->orientation(), graphics::ImageOrientation::Up);

    // With nothing that decodes, the shutter says why and delivers nothing.
    auto broken = home.path() / "broken";
    ASSERT_TRUE(foundation::writeFileAtomically(broken / "a.jpg", "not a JPEG"));
    ASSERT_TRUE(foundation::writeFileAtomically(broken / "b.jpg", "nor this"));
    ui::Camera::shared().setFolder(broken);
    picker->takePicture();
    EXPECT_EQ(delegate->results.size(), 4u);
    EXPECT_FALSE(picker->lastError().empty());
    EXPECT_EQ(root->presentedViewController(), picker) << "the camera stays open";
}

TEST_F(ImagePickerControllerTest, ASampleThatIsNoRegularFileIsPassedOverWithoutWaiting)
{
    mivo::test::TimeLimit limit(60);
    // In the folder from the start: the scan leaves them out.
    fs::create_directory(folder / "0-folder.jpg");
    ASSERT_EQ(::mkfifo((folder / "0-fifo.jpg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "0-fifo.mp4").c_str(), 0600), 0);
    fs::create_symlink(kSamples / "sample-photo-2.jpg", folder / "0-link.jpg");
    fs::create_symlink(kSamples / "sample-video.mp4", folder / "0-link.mp4");
    auto& camera = ui::Camera::shared();
    camera.setFolder(folder);
    EXPECT_EQ(camera.photos(), (std::vector {folder / "a-portrait.jpg", folder / "b-landscape.jpg"}));
    ASSERT_EQ(camera.movies().size(), 1u);
    EXPECT_EQ(camera.movies()[0].file, folder / "movie.mp4");
    std::string error;
    EXPECT_FALSE(ui::Camera::probe(folder / "0-fifo.mp4", &error));
    EXPECT_EQ(error, "cannot open " + (folder / "0-fifo.mp4").string() + ": it is a FIFO");

    // Put there after the scan: a photo that became a FIFO is passed over, a movie fails.
    auto picker = present(false);
    fs::remove(folder / "a-portrait.jpg");
    ASSERT_EQ(::mkfifo((folder / "a-portrait.jpg").c_str(), 0600), 0);
    picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 1u) << picker->lastError();
    EXPECT_EQ(delegate->results[0].originalImage->orientation(), graphics::ImageOrientation::Up)
        << "the landscape that comes next";
    picker->dismissViewController(false);
    runFor(0.1);
    fs::remove(folder / "movie.mp4");
    fs::create_directory(folder / "movie.mp4");
    picker = present(true);
    picker->setVideoQuality(Picker::VideoQuality::Type640x480);
    picker->takePicture();
    EXPECT_EQ(delegate->results.size(), 1u);
    EXPECT_EQ(picker->lastError(), "cannot open " + (folder / "movie.mp4").string() + ": it is a folder");
}

} // namespace

// The recording's name in tmp is predictable: a FIFO planted there would block libav's open for
// good. Such leftovers are passed over; a folder there is a failed recording, said as such.
TEST_F(ImagePickerControllerTest, ARecordingOpensNothingPlantedUnderItsName)
{
    mivo::test::TimeLimit limit(60);
    auto tmp = foundation::Paths::temporary();
    foundation::createDirectories(tmp);
    constexpr int kPlanted = 64;
    auto plant = [&](auto make) {
        for (int i = 0; i < kPlanted; ++i)
            make(tmp / ("capture-" + std::to_string(::getpid()) + "-" + std::to_string(i) + ".mp4"));
    };
    plant([](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); });
    auto picker = present(true);
    picker->setVideoQuality(Picker::VideoQuality::Type640x480);
    picker->takePicture();
    ASSERT_EQ(delegate->results.size(), 1u) << picker->lastError();
    auto recorded = fs::path(delegate->results[0].mediaURL);
    EXPECT_EQ(fs::symlink_status(recorded).type(), fs::file_type::regular);
    ASSERT_TRUE(ui::Camera::probe(recorded));
    EXPECT_EQ(ui::Camera::probe(recorded)->width, 640);
    fs::remove(recorded);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp), {}), kPlanted - 1)
        << "the FIFO under the name used went";

    plant([](const fs::path& path) { fs::remove(path), fs::create_directory(path); });
    picker->takePicture();
    EXPECT_EQ(delegate->results.size(), 1u);
    EXPECT_TRUE(picker->lastError().ends_with(": a folder is in its place")) << picker->lastError();
}
