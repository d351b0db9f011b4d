#include "tests/app/ShellFixture.h"

#include "components/imageviewer/ImageViewerController.h"
#include "components/subtitles/Subtitles.h"
#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Camera.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/ImageNamed.h"
#include "platform/ui/ImagePickerController.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/MoviePlayerController.h"
#include "platform/ui/MoviePlayerView.h"
#include "platform/ui/MoviePlayerViewController.h"
#include "screens/capture/FinishedCollectionViewController.h"
#include "screens/capture/NewTaskPLCollectionViewController.h"
#include "screens/capture/PendingCollectionViewController.h"
#include "screens/capture/PhotoListCollectionViewCell.h"
#include "screens/capture/RejectedCollectionViewController.h"
#include "screens/capture/ToUploadCollectionViewController.h"
#include "screens/tasks/TaskRecordUtil.h"
#include "tests/support/PixelProbe.h"
#include "tests/support/TimeLimit.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <httplib.h>
#include <sys/stat.h>
#include <thread>
#include <tuple>

using data::Predicate;
using mivo::test::ShellFixture;
using ui::IndexPath;
using Kind = ShotGridViewController::Shot::Kind;

namespace {

namespace fs = std::filesystem;

size_t countOf(const foundation::LogCapture& log, const std::string& line)
{
    auto lines = log.lines();
    return size_t(std::count(lines.begin(), lines.end(), line));
}

const fs::path kSamples = fs::path(MIVO_SOURCE_DIR) / "Resources/camera";

class ShotViewingTest : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        ASSERT_TRUE(m_sliding = logIn("arvel"));
        m_base = "http://127.0.0.1:" + std::to_string(s_server->port());
    }

    void TearDown() override
    {
        m_sliding.reset();
        ShellFixture::TearDown();
    }

    static void step(double seconds = 0.5) { foundation::RunLoop::main().runFor(seconds); }

    void push(const std::shared_ptr<ShotGridViewController>& grid)
    {
        homeStack(m_sliding)->pushViewController(grid, false);
        step();
    }

    // A real press held for a second, moved a little while held, at a point of the grid. `recognised`
    // runs once the press is recognised, before the finger moves.
    static void longPress(
        ShotGridViewController& grid, graphics::Point inGrid, const std::function<void()>& recognised = {})
    {
        auto& app = ui::Application::shared();
        auto point = grid.collectionView()->convertPointToView(inGrid, nullptr);
        auto touch = app.touchDown(point);
        ASSERT_TRUE(touch);
        step(0.6);
        if (recognised)
            recognised();
        app.touchMoved(touch, {point.x + 3, point.y + 2});
        step(0.4);
        app.touchUp(touch, point);
        step(0.6);
    }
    static void longPress(
        ShotGridViewController& grid, IndexPath path, const std::function<void()>& recognised = {})
    {
        auto frame = grid.collectionView()->layoutAttributesForItemAtIndexPath(path)->frame;
        grid.collectionView()->scrollRectToVisible(frame, false);
        grid.collectionView()->layoutIfNeeded();
        longPress(grid, graphics::Point {frame.midX(), frame.midY()}, recognised);
    }

    // The screen shown over the app's (screens present from the parentmost one).
    std::shared_ptr<ui::ViewController> presented() const
    {
        std::shared_ptr<ui::ViewController> top;
        for (auto next = m_window->rootViewController()->presentedViewController(); next;
             next = next->presentedViewController())
            top = next;
        return top == m_sliding ? nullptr : top;
    }
    std::shared_ptr<ImageViewerController> viewer(ShotGridViewController&) const
    {
        return std::dynamic_pointer_cast<ImageViewerController>(presented());
    }
    std::shared_ptr<ui::MoviePlayerViewController> player(ShotGridViewController&) const
    {
        return std::dynamic_pointer_cast<ui::MoviePlayerViewController>(presented());
    }

    // A long press on the slot opens the player for `url` with the subtitles; the movie cannot be
    // played, and the player stays on screen saying so until Done.
    void expectPlayerFailure(ShotGridViewController& grid, IndexPath path, const std::string& url)
    {
        longPress(grid, path);
        auto playing = player(grid);
        ASSERT_TRUE(playing) << (presented() ? presented()->className() : "nothing shown");
        EXPECT_EQ(playing->moviePlayer()->contentURL(), url);
        EXPECT_TRUE(Subtitles::subtitlesParts(*playing->moviePlayer())) << "the subtitles are open";
        auto view = playing->moviePlayer()->playerView();
        ASSERT_TRUE(runUntil([&] { return !view->failureText().empty(); }));
        step(1);
        EXPECT_EQ(player(grid), playing) << "a failed movie stays until Done";
        EXPECT_EQ(view->failureText(), ui::MoviePlayerController::kFailureText);
        // The failure is drawn: white text in the middle of the black picture.
        auto bar = ui::MoviePlayerView::kBarHeight;
        auto middle = view->convertRectToView(view->bounds(), nullptr).insetBy(20, bar);
        auto text = mivo::test::PixelProbe::screen().boundingBox(graphics::Color::white(), 40, middle);
        ASSERT_TRUE(text) << "no failure text on screen";
        EXPECT_NEAR(text->midX(), middle.midX(), 20);
        EXPECT_NEAR(text->midY(), middle.midY(), 20);
        ui::dismissMoviePlayerViewControllerAnimated(grid);
        step(1);
        EXPECT_FALSE(presented());
    }

    // A long press on a photo slot opens the viewer without an image, out of the whole grid, and
    // logs `logged`.
    void expectViewerWithoutImage(ShotGridViewController& grid, int64_t item, const std::string& logged)
    {
        foundation::LogCapture log(foundation::LogCapture::Echo::No);
        longPress(grid, IndexPath {0, item});
        auto shown = viewer(grid);
        ASSERT_TRUE(shown);
        EXPECT_FALSE(shown->image());
        EXPECT_EQ(shown->imageInfo()->referenceRect, grid.collectionView()->frame());
        EXPECT_TRUE(log.contains(logged)) << logged;
        shown->dismiss(true);
        step(1);
        EXPECT_FALSE(presented());
    }

    // Stores a local task whose first photo and video have files of their own.
    std::shared_ptr<MivoTask> localTask(const std::string& applyNO)
    {
        auto user = UserInfo::sharedInstance();
        NewTaskFields fields {
            applyNO, "上海浦东仓", "平安保险", "86000", "常规产品", TaskRecordUtil::kPlanRemoveSeal};
        auto task = TaskRecordUtil::storeNewTask(
            fields, user->companyName(), "arvel", user->userId(), foundation::Date::now());
        auto store = IMivoDataBaseManager::sharedManager();
        auto pictures = *LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
        auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
        auto images = records(applyNO, "image");
        fs::copy_file(kSamples / "sample-photo-5-portrait-exif6.jpg", pictures / (applyNO + "-1.jpg"));
        store->updateMivoUploadTask(
            images[0], foundation::Map {{"taskStatus", "PENDING"}, {"resourceName", applyNO + "-1.jpg"}});
        fs::copy_file(kSamples / "sample-video.mp4", videos / (applyNO + ".mp4"));
        store->updateMivoUploadTask(records(applyNO, "video")[0],
            foundation::Map {{"taskStatus", "PENDING"}, {"resourceName", applyNO + ".mp4"}});
        return task;
    }

    // The rejected grid of a stored task, as the rejected list opens it.
    std::shared_ptr<RejectedCollectionViewController> pushRejected(const std::shared_ptr<MivoTask>& task)
    {
        auto grid = RejectedCollectionViewController::create();
        grid->setApplyTaskNO(task->applyNO());
        grid->setApplyTaskPhotoType(task->photoType());
        grid->setUuidForTask(task->carID());
        grid->setSynMivoTask(task);
        push(grid);
        return grid;
    }

    // The three grids of a local task: new, pending, ready to upload.
    static std::vector<std::shared_ptr<LocalShotGridViewController>> localGrids(const std::string& applyNO)
    {
        std::vector<std::shared_ptr<LocalShotGridViewController>> grids {
            NewTaskPLCollectionViewController::create(), PendingCollectionViewController::create(),
            ToUploadCollectionViewController::create()};
        for (const auto& grid : grids) {
            grid->setApplyTaskNO(applyNO);
            grid->setApplyTaskPhotoType(TaskRecordUtil::kPlanRemoveSeal);
        }
        return grids;
    }

    static std::vector<std::shared_ptr<MivoUploadTask>> records(const std::string& applyNO, const char* type)
    {
        return *IMivoDataBaseManager::sharedManager()->listMivoUploadTasks(
            Predicate::withFormat("applyNO=%@ and resourceType=%@", applyNO, type));
    }

    std::shared_ptr<SlidingViewController> m_sliding;
    std::string m_base;
};

TEST_F(ShotViewingTest, TheLocalGridsShowTheFullPhotoGrowingOutOfTheGridAndPlayTheVideo)
{
    localTask("V1");
    auto pictures = *LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
    auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
    for (const auto& grid : localGrids("V1")) {
        SCOPED_TRACE(grid->className());
        push(grid);
        EXPECT_EQ(grid->shotAt({0, 0}),
            (ShotGridViewController::Shot {Kind::LocalPhoto, (pictures / "V1-1.jpg").string()}));
        EXPECT_EQ(
            grid->shotAt({1, 0}), (ShotGridViewController::Shot {Kind::Video, (videos / "V1.mp4").string()}));
        EXPECT_EQ(grid->shotAt({0, 1}).kind, Kind::None) << "not taken: no file";
        EXPECT_EQ(grid->shotAt({0, 999}).kind, Kind::None) << "past the records";

        std::shared_ptr<ui::ViewController> first;
        longPress(*grid, IndexPath {0, 0}, [&] { first = presented(); });
        auto shown = viewer(*grid);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown, first) << "shown when the press is recognised, and only then";
        ASSERT_TRUE(shown->image());
        EXPECT_GT(shown->image()->size().height, shown->image()->size().width) << "the full photo, upright";
        const auto& info = *shown->imageInfo();
        EXPECT_EQ(info.referenceRect, grid->collectionView()->frame()) << "the whole grid, not the cell";
        EXPECT_EQ(info.referenceView, grid->collectionView()->superview());
        EXPECT_EQ(shown->mode(), ImageViewerController::Image);
        EXPECT_EQ(shown->backgroundOptions(), ImageViewerController::Scaled);
        EXPECT_EQ(shown->transition(), ImageViewerController::FromOriginalPosition);
        shown->dismiss(true);
        step(1);
        EXPECT_FALSE(presented());

        std::shared_ptr<ui::ViewController> started;
        longPress(*grid, IndexPath {1, 0}, [&] { started = presented(); });
        auto playing = player(*grid);
        ASSERT_TRUE(playing) << "the video plays";
        EXPECT_EQ(playing, started);
        EXPECT_EQ(playing->moviePlayer()->contentURL(), (videos / "V1.mp4").string());
        ui::dismissMoviePlayerViewControllerAnimated(*grid);
        step(1);

        // A slot without a file opens nothing, and neither does a press between cells.
        longPress(*grid, IndexPath {0, 1});
        EXPECT_FALSE(presented());
        grid->collectionView()->setContentOffset({0, 0});
        grid->collectionView()->layoutIfNeeded();
        auto topLeft = grid->collectionView()->layoutAttributesForItemAtIndexPath({0, 0})->frame;
        longPress(*grid, graphics::Point {topLeft.midX(), topLeft.maxY() + 5});
        EXPECT_FALSE(presented()) << "between rows";
        EXPECT_FALSE(grid->presentedPicker()) << "a long press is not a tap";
        homeStack(m_sliding)->popToRootViewController(false);
        step();
    }
}

TEST_F(ShotViewingTest, TheRejectedGridShowsTheServerPhotoOncePerPress)
{
    auto store = IMivoDataBaseManager::sharedManager();
    auto task = store->insertMivoTask(foundation::Map {{"applyNO", "R7"}, {"carID", "88"}, {"photoType", "0"},
        {"taskStatus", "REJECTED"}, {"createUser", "arvel"}});
    for (auto [position, type] : {std::pair {"1", "image"}, {"16", "video"}})
        store->insertMivoUploadTask(foundation::Map {{"carID", "88"}, {"taskPosition", position},
            {"resourceType", type}, {"taskStatus", "UPLOADED"}, {"applyNO", "R7"},
            {"fileUrl", std::string("/media/88/") + position + ".jpg"}});
    // Photo 2 was added here since: no server copy, only the file shot here.
    auto pictures = *LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
    fs::copy_file(kSamples / "sample-photo-5-portrait-exif6.jpg", pictures / "R7-2.jpg");
    store->insertMivoUploadTask(
        foundation::Map {{"carID", "88"}, {"taskPosition", "2"}, {"resourceType", "image"},
            {"taskStatus", "PENDING"}, {"applyNO", "R7"}, {"fileUrl", ""}, {"resourceName", "R7-2.jpg"}});
    auto grid = pushRejected(task);

    EXPECT_EQ(
        grid->shotAt({0, 0}), (ShotGridViewController::Shot {Kind::ServerPhoto, m_base + "/media/88/1.jpg"}));
    EXPECT_EQ(grid->shotAt({0, 1}),
        (ShotGridViewController::Shot {Kind::LocalPhoto, (pictures / "R7-2.jpg").string()}));
    EXPECT_EQ(grid->shotAt({0, 2}).kind, Kind::None) << "no record of position 3";
    EXPECT_EQ(grid->shotAt({1, 0}), (ShotGridViewController::Shot {Kind::Video, m_base + "/media/88/16.jpg"}))
        << "not shot again: streamed from the server";

    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    std::shared_ptr<ui::ImageView> loading;
    longPress(*grid, IndexPath {0, 0}, [&] { loading = grid->showImgView(); });
    ASSERT_TRUE(loading) << "loading when the press is recognised";
    EXPECT_EQ(grid->showImgView(), loading) << "moving and lifting the finger load nothing more";
    ASSERT_TRUE(runUntil([&] { return bool(viewer(*grid)); }));
    step(1);
    EXPECT_EQ(countOf(log, "图片加载完成后做的事情"), 1u) << "once per press, whatever the later states";
    EXPECT_EQ(countOf(log, "这里可以在图片加载完成之后做些事情"), 0u);
    EXPECT_NE(s_server->settledLog().find("/media/88/1.jpg"), std::string::npos) << "the server's photo";
    ASSERT_TRUE(grid->showImgView());
    EXPECT_EQ(viewer(*grid)->image(), ui::imageNamed("no_pic_default")) << "the server has no such file";
    EXPECT_EQ(viewer(*grid)->image(), grid->showImgView()->image());
    viewer(*grid)->dismiss(true);
    step(1);

    longPress(*grid, IndexPath {0, 2});
    EXPECT_FALSE(presented()) << "a slot without a record opens nothing";

    // Once the video is shot again here, that copy plays.
    auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
    fs::copy_file(kSamples / "sample-video.mp4", videos / "R7.mp4");
    auto video = grid->allResourcesData()[1].front();
    store->updateMivoUploadTask(
        video, foundation::Map {{"resourceName", "R7.mp4"}, {"taskStatus", "PENDING"}});
    grid->loadCollectionViewData();
    EXPECT_EQ(
        grid->shotAt({1, 0}), (ShotGridViewController::Shot {Kind::Video, (videos / "R7.mp4").string()}));
}

TEST_F(ShotViewingTest, APhotoFileThatIsMissingOrUnreadableOpensTheViewerWithoutAnImage)
{
    localTask("V2");
    auto pictures = *LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
    ASSERT_TRUE(foundation::writeFileAtomically(pictures / "V2-1.jpg", "not a picture"));
    // The second shot's record names a file that is not there.
    IMivoDataBaseManager::sharedManager()->updateMivoUploadTask(records("V2", "image")[1],
        foundation::Map {{"taskStatus", "PENDING"}, {"resourceName", "V2-gone.jpg"}});
    auto grid = PendingCollectionViewController::create();
    grid->setApplyTaskNO("V2");
    grid->setApplyTaskPhotoType(TaskRecordUtil::kPlanRemoveSeal);
    push(grid);
    for (int64_t item : {0, 1}) {
        SCOPED_TRACE(item);
        expectViewerWithoutImage(*grid, item, "Cannot show the photo");
    }
    // A slot not taken yet names no file at all: nothing opens.
    longPress(*grid, IndexPath {0, 2});
    EXPECT_FALSE(presented());
}

TEST_F(ShotViewingTest, ATakenVideoWhoseFileIsGoneOpensThePlayerThatCannotPlayIt)
{
    localTask("V3");
    auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
    auto gone = (videos / "V3.mp4").string();
    fs::remove(gone);
    for (const auto& grid : localGrids("V3")) {
        SCOPED_TRACE(grid->className());
        push(grid);
        expectPlayerFailure(*grid, IndexPath {1, 0}, gone);
        homeStack(m_sliding)->popToRootViewController(false);
        step();
    }
    // A folder in the file's place is a file that cannot be read: the player says so, as above.
    mivo::test::TimeLimit limit(60);
    fs::create_directory(gone);
    auto grid = localGrids("V3")[1];
    push(grid);
    EXPECT_EQ(grid->shotAt({1, 0}), (ShotGridViewController::Shot {Kind::Video, gone}));
    expectPlayerFailure(*grid, IndexPath {1, 0}, gone);
}

TEST_F(ShotViewingTest, ARejectedVideoGoneHereAndWithoutServerPathOpensThePlayerThatCannotPlayIt)
{
    auto store = IMivoDataBaseManager::sharedManager();
    auto task = store->insertMivoTask(foundation::Map {{"applyNO", "R8"}, {"carID", "89"}, {"photoType", "0"},
        {"taskStatus", "REJECTED"}, {"createUser", "arvel"}});
    // Shot here and never uploaded; its file is gone since.
    auto video = store->insertMivoUploadTask(
        foundation::Map {{"carID", "89"}, {"taskPosition", "1"}, {"resourceType", "video"},
            {"taskStatus", "PENDING"}, {"applyNO", "R8"}, {"fileUrl", ""}, {"resourceName", "R8.mp4"}});
    auto grid = pushRejected(task);
    auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
    expectPlayerFailure(*grid, IndexPath {1, 0}, (videos / "R8.mp4").string());

    // A record that names no file here and no path on the server has nothing to play.
    store->updateMivoUploadTask(video, foundation::Map {{"resourceName", ""}});
    grid->loadCollectionViewData();
    EXPECT_EQ(grid->shotAt({1, 0}).kind, Kind::None);
}

TEST_F(ShotViewingTest, AFinishedRecordWithoutServerPathLoadsTheBareMediaAddress)
{
    auto store = IMivoDataBaseManager::sharedManager();
    std::vector<std::shared_ptr<MivoUploadTask>> uploads;
    for (auto [position, type] : {std::pair {"1", "image"}, {"16", "video"}})
        uploads.push_back(
            store->insertMivoUploadTask(foundation::Map {{"carID", "7"}, {"taskPosition", position},
                {"resourceType", type}, {"taskStatus", "UPLOADED"}, {"fileUrl", ""}}));
    auto grid = FinishedCollectionViewController::create();
    grid->setApplyTaskNO("F7");
    grid->setApplyTaskPhotoType("1");
    grid->setAllMivoUploads(uploads);
    push(grid);

    // No photo at that address: the viewer opens with the placeholder.
    longPress(*grid, IndexPath {0, 0});
    ASSERT_TRUE(runUntil([&] { return bool(viewer(*grid)); }));
    EXPECT_EQ(viewer(*grid)->image(), ui::imageNamed("no_pic_default"));
    EXPECT_EQ(viewer(*grid)->imageInfo()->referenceRect, grid->collectionView()->frame());
    step(1);
    viewer(*grid)->dismiss(true);
    step(1);
    EXPECT_FALSE(presented());

    // Nor a movie: the player says so.
    expectPlayerFailure(*grid, IndexPath {1, 0}, m_base);
}

// A folder or a FIFO where a shot's photo, thumbnail or movie should be, or among the camera's
// samples: the grid opens and draws, the viewer opens without an image, the player shows its
// failure, the camera takes the next sample, and nothing waits for a FIFO's writer.
TEST_F(ShotViewingTest, FoldersAndFifosInPlaceOfFilesOpenTheGridAndAViewerWithoutAnImage)
{
    mivo::test::TimeLimit limit(120);
    localTask("V4");
    auto pictures = *LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder);
    auto videos = *LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder);
    auto fifo = [](const fs::path& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); };
    // Shot 1: folders for its photo and thumbnail; shot 2: FIFOs; the video: a FIFO and a folder.
    fs::remove(pictures / "V4-1.jpg");
    fs::create_directory(pictures / "V4-1.jpg");
    fs::create_directory(pictures / "V4-1-thumb.jpg");
    fifo(pictures / "V4-2.jpg");
    fifo(pictures / "V4-2-thumb.jpg");
    fs::remove(videos / "V4.mp4");
    fifo(videos / "V4.mp4");
    fs::create_directory(videos / "V4-thumb.jpg");
    auto store = IMivoDataBaseManager::sharedManager();
    auto images = records("V4", "image");
    store->updateMivoUploadTask(images[0], foundation::Map {{"screenshotName", "V4-1-thumb.jpg"}});
    store->updateMivoUploadTask(images[1],
        foundation::Map {
            {"taskStatus", "PENDING"}, {"resourceName", "V4-2.jpg"}, {"screenshotName", "V4-2-thumb.jpg"}});
    store->updateMivoUploadTask(
        records("V4", "video")[0], foundation::Map {{"screenshotName", "V4-thumb.jpg"}});

    auto grid = PendingCollectionViewController::create();
    grid->setApplyTaskNO("V4");
    grid->setApplyTaskPhotoType(TaskRecordUtil::kPlanRemoveSeal);
    push(grid);
    ASSERT_EQ(homeStack(m_sliding)->topViewController(), grid);
    for (IndexPath path : {IndexPath {0, 0}, IndexPath {0, 1}}) {
        auto cell = grid->cellAt(path);
        ASSERT_TRUE(cell);
        EXPECT_EQ(cell->photoStatusLabel()->text(), "已拍摄");
        EXPECT_FALSE(cell->recipeImageView()->image()) << "no thumbnail, and no crash";
    }
    ASSERT_TRUE(render::Renderer(1).renderScreen()) << "the grid draws";

    for (auto [item, why] : {std::pair {0, "it is a folder"}, {1, "it is a FIFO"}}) {
        SCOPED_TRACE(item);
        expectViewerWithoutImage(*grid, item, std::string(": ") + why);
    }
    grid->collectionView()->setContentOffset(grid->collectionView()->maximumContentOffset());
    grid->collectionView()->layoutIfNeeded();
    ASSERT_TRUE(grid->cellAt({1, 0}));
    EXPECT_FALSE(grid->cellAt({1, 0})->recipeImageView()->image());
    // The FIFO goes to the player, which opens nothing but a regular file: no wait, its failure.
    auto movie = (videos / "V4.mp4").string();
    EXPECT_EQ(grid->shotAt({1, 0}), (ShotGridViewController::Shot {Kind::Video, movie}));
    expectPlayerFailure(*grid, IndexPath {1, 0}, movie);

    // The camera passes over samples that are no regular files and takes the photo after them.
    auto samples = m_home.path() / "camera";
    fs::create_directories(samples);
    fs::create_directory(samples / "0-folder.jpg");
    fifo(samples / "0-fifo.jpg");
    fs::copy_file(kSamples / "sample-photo-5-portrait-exif6.jpg", samples / "1-portrait.jpg");
    ui::Camera::shared().setFolder(samples);
    grid->collectionView()->setContentOffset({0, 0});
    grid->collectionView()->layoutIfNeeded();
    grid->didSelectItemAtIndexPath(*grid->collectionView(), {0, 2});
    step(0.6);
    auto picker = grid->presentedPicker();
    ASSERT_TRUE(picker);
    picker->takePicture();
    step(0.6);
    ASSERT_TRUE(runUntil([&] { return records("V4", "image")[2]->taskStatus() == "PENDING"; }));
    ui::Camera::shared().setFolder({});
}

TEST_F(ShotViewingTest, TheFinishedGridLoadsServerPhotosAndStreamsTheLastVideoRecord)
{
    auto store = IMivoDataBaseManager::sharedManager();
    std::vector<std::shared_ptr<MivoUploadTask>> uploads;
    for (auto [position, type] : {std::pair {"1", "image"}, {"2", "image"}, {"16", "video"}})
        uploads.push_back(store->insertMivoUploadTask(
            foundation::Map {{"carID", "5"}, {"taskPosition", position}, {"resourceType", type},
                {"taskStatus", "UPLOADED"}, {"fileUrl", std::string("/media/5/") + position}}));
    auto grid = FinishedCollectionViewController::create();
    grid->setApplyTaskNO("F5");
    grid->setApplyTaskPhotoType("1");
    grid->setAllMivoUploads(uploads);
    push(grid);

    struct Case {
        IndexPath path;
        ShotGridViewController::Shot shot;
    } cases[] = {
        {{0, 1}, {Kind::ServerPhoto, m_base + "/media/5/2"}},
        {{0, 2}, {Kind::ServerPhoto, m_base + "/media/5/16"}}, // falls on the video: the placeholder shows
        {{0, 3}, {}},
        {{1, 0}, {Kind::Video, m_base + "/media/5/16"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(grid->shotAt(c.path), c.shot) << c.path.item;

    // The server holds photo 2: the viewer shows it, not the placeholder.
    auto media = s_server->dataDir() / "data" / "media" / "5";
    fs::create_directories(media);
    fs::copy_file(kSamples / "sample-photo-5-portrait-exif6.jpg", media / "2");
    foundation::LogCapture log(foundation::LogCapture::Echo::No);
    longPress(*grid, IndexPath {0, 1});
    ASSERT_TRUE(runUntil([&] { return bool(viewer(*grid)); }));
    ASSERT_TRUE(viewer(*grid)->image());
    EXPECT_NE(viewer(*grid)->image(), ui::imageNamed("no_pic_default"));
    EXPECT_GT(viewer(*grid)->image()->size().height, viewer(*grid)->image()->size().width) << "the portrait";
    EXPECT_EQ(countOf(log, "图片加载完成后做的事情"), 1u);
    EXPECT_EQ(countOf(log, "这里可以在图片加载完成之后做些事情"), 1u);
    EXPECT_FALSE(grid->presentedPicker()) << "no camera in the finished grid";
    step(1);
    viewer(*grid)->dismiss(true);
    step(1);

    longPress(*grid, IndexPath {1, 0});
    auto playing = player(*grid);
    ASSERT_TRUE(playing) << (presented() ? presented()->className() : "none");
    EXPECT_EQ(playing->moviePlayer()->contentURL(), m_base + "/media/5/16");
    ui::dismissMoviePlayerViewControllerAnimated(*grid);
    step(1);

    // Without a video record there is nothing to stream.
    uploads.pop_back();
    grid->setAllMivoUploads(uploads);
    EXPECT_EQ(grid->shotAt({1, 0}).kind, Kind::None);
}

TEST_F(ShotViewingTest, ServerPathsThatLeadToAnotherServerFetchNothing)
{
    // Another server on this machine, counting what reaches it.
    httplib::Server other;
    std::atomic<int> reached {0};
    other.Get(".*", [&reached](const httplib::Request&, httplib::Response& response) {
        ++reached;
        response.set_content("x", "image/jpeg");
    });
    int port = other.bind_to_any_port("127.0.0.2");
    ASSERT_GT(port, 0);
    std::thread serving([&other] { other.listen_after_bind(); });
    std::string elsewhere = "127.0.0.2:" + std::to_string(port);

    auto store = IMivoDataBaseManager::sharedManager();
    std::vector<std::shared_ptr<MivoUploadTask>> uploads;
    for (auto [position, type, path] :
        {std::tuple {"1", "image", "@" + elsewhere + "/1.jpg"}, {"2", "image", "//" + elsewhere + "/2.jpg"},
            {"3", "image", "http://" + elsewhere + "/3.jpg"}, {"16", "video", "@" + elsewhere + "/16.mp4"}})
        uploads.push_back(
            store->insertMivoUploadTask(foundation::Map {{"carID", "6"}, {"taskPosition", position},
                {"resourceType", type}, {"taskStatus", "UPLOADED"}, {"fileUrl", path}, {"thumbnail", path}}));
    auto finished = FinishedCollectionViewController::create();
    finished->setApplyTaskNO("F6");
    finished->setApplyTaskPhotoType("1");
    finished->setAllMivoUploads(uploads);
    push(finished); // the cells ask for their thumbnails
    for (IndexPath path : {IndexPath {0, 0}, IndexPath {0, 1}, IndexPath {0, 2}, IndexPath {1, 0}})
        EXPECT_EQ(finished->shotAt(path).kind, Kind::None) << path.section << "/" << path.item;
    longPress(*finished, IndexPath {0, 0});
    longPress(*finished, IndexPath {1, 0});
    EXPECT_FALSE(presented());
    finished->navigationController()->popViewController(false);
    step();

    // The rejected grid's slots and video the same way.
    auto task = store->insertMivoTask(foundation::Map {{"applyNO", "R66"}, {"carID", "66"},
        {"photoType", "0"}, {"taskStatus", "REJECTED"}, {"createUser", "arvel"}});
    for (auto [position, type] : {std::pair {"1", "image"}, {"16", "video"}})
        store->insertMivoUploadTask(foundation::Map {{"carID", "66"}, {"applyNO", "R66"},
            {"taskPosition", position}, {"resourceType", type}, {"taskStatus", "UPLOADED"},
            {"fileUrl", "@" + elsewhere + "/r.jpg"}, {"thumbnail", "@" + elsewhere + "/r.jpg"}});
    auto rejected = RejectedCollectionViewController::create();
    rejected->setApplyTaskNO("R66");
    rejected->setApplyTaskPhotoType("1");
    rejected->setUuidForTask("66");
    rejected->setSynMivoTask(task);
    push(rejected);
    EXPECT_EQ(rejected->shotAt({0, 0}).kind, Kind::None);
    EXPECT_EQ(rejected->shotAt({1, 0}).kind, Kind::None);
    step(1);

    other.stop();
    serving.join();
    EXPECT_EQ(reached, 0);
}

} // namespace
