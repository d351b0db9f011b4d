#include "screens/capture/ShotGridRules.h"

#include "core/store/BaseDatabaseManager.h"
#include "core/store/IMivoDataBaseManager.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

namespace R = ShotGridRules;
using graphics::Color;
using Look = R::SlotLook;
using Records = std::vector<std::shared_ptr<MivoUploadTask>>;

TEST(ShotGridRules, ListTypeByBrandAndPlan)
{
    struct Case {
        const char* company;
        const char* plan;
        int byText, byCode;
    } cases[] = {
        {"Arvel", "拆密封条-方案1", 0, 1}, {"Arvel", "不拆密封条-方案2", 1, 1}, {"Arvel", "", 1, 1},
        {"Arvel", "0", 1, 0}, {"Arvel", "1", 1, 1}, {"Arvel", "2", 1, 1}, {"Kestro", "拆密封条-方案1", 1, 1},
        {"Kestro", "0", 1, 1}, {"Ombry", "拆密封条-方案1", 2, 2}, {"", "0", 2, 2},
        {"arvel", "拆密封条-方案1", 2, 2}, // exact comparison
    };
    for (const auto& c : cases) {
        EXPECT_EQ(R::listTypeForPlan(c.company, c.plan), c.byText) << c.company << " " << c.plan;
        EXPECT_EQ(R::listTypeForPlanCode(c.company, c.plan), c.byCode) << c.company << " " << c.plan;
    }
}

// Records are store objects: a store on a temporary home makes them.
class ShotGridRulesRecords : public ::testing::Test {
protected:
    void SetUp() override { BaseDatabaseManager::resetSharedManagersForTesting(); }
    void TearDown() override { BaseDatabaseManager::resetSharedManagersForTesting(); }

    std::shared_ptr<MivoUploadTask> record(const std::string& state, const std::string& type = "image",
        const std::string& carID = "", const std::string& position = "1")
    {
        return IMivoDataBaseManager::sharedManager()->insertMivoUploadTask(
            foundation::Map {{"taskStatus", state}, {"resourceType", type}, {"carID", carID},
                {"taskPosition", position}, {"screenshotName", "_7.jpg"},
                {"thumbnail", "/media/" + carID + "/" + position + "_t.jpg"}, {"applyNO", "A1"}});
    }

    static void expectLook(const Look& look, Look::Thumbnail thumbnail, const std::string& name,
        std::optional<std::string> text, std::optional<Color> color, const std::string& what)
    {
        EXPECT_EQ(look.thumbnail, thumbnail) << what;
        EXPECT_EQ(look.name, name) << what;
        EXPECT_EQ(look.stateText, text) << what;
        EXPECT_EQ(look.stateColor, color) << what;
    }

    mivo::test::TempHome home;
};

TEST_F(ShotGridRulesRecords, LocalGridsShowTheStatesTheirTablesList)
{
    using G = R::Grid;
    auto def = record("DEFAULT"), pending = record("PENDING"), uploaded = record("UPLOADED"),
         odd = record("DELETE");
    const auto unset = Look::Thumbnail::Unset;
    const auto resource = Look::Thumbnail::Resource;
    const auto file = Look::Thumbnail::LocalFile;
    struct Case {
        G grid;
        bool video;
        MivoUploadTask* record;
        Look::Thumbnail thumbnail;
        std::string name;
        std::optional<std::string> text;
        std::optional<Color> color;
    } cases[] = {
        {G::NewTask, false, def.get(), resource, "no_pic_default.png", "未拍摄", Color::black()},
        {G::NewTask, false, pending.get(), file, "_7.jpg", "已拍摄", Color::red()},
        {G::NewTask, false, uploaded.get(), unset, "", std::nullopt, std::nullopt},
        {G::Pending, false, uploaded.get(), unset, "", std::nullopt, std::nullopt},
        {G::ToUpload, false, uploaded.get(), file, "_7.jpg", "已上传", Color::yellow()},
        {G::ToUpload, false, odd.get(), unset, "", std::nullopt, std::nullopt},
        {G::Pending, false, nullptr, resource, "no_pic_default.png", "未拍摄", Color::black()},
        {G::NewTask, true, def.get(), resource, "no_video_default.png", "未拍摄", Color::black()},
        {G::NewTask, true, uploaded.get(), file, "_7.jpg", "已拍摄", Color::red()},
        {G::Pending, true, odd.get(), file, "_7.jpg", "已拍摄", Color::red()},
        {G::ToUpload, true, pending.get(), file, "_7.jpg", "已拍摄", Color::red()},
        {G::ToUpload, true, uploaded.get(), file, "_7.jpg", "已上传", Color::yellow()},
        {G::ToUpload, true, odd.get(), unset, "", std::nullopt, std::nullopt},
        {G::ToUpload, true, nullptr, resource, "no_video_default.png", "未拍摄", Color::black()},
    };
    int index = 0;
    for (const auto& c : cases) {
        auto look = c.video ? R::localVideo(c.grid, c.record) : R::localPhoto(c.grid, c.record);
        expectLook(look, c.thumbnail, c.name, c.text, c.color, "case " + std::to_string(index++));
    }
}

TEST_F(ShotGridRulesRecords, RejectedSlotsAreFoundByServerIdAndPosition)
{
    // Store order is not slot order; another task's record and a video share the positions.
    Records images {record("UPLOADED", "image", "77", "3"), record("UPLOADED", "image", "99", "1"),
        record("PENDING", "image", "77", "1"), record("UPLOADED", "image", "77", "1")};
    EXPECT_EQ(R::rejectedPhotoRecord(images, "77", 0), images[2]) << "the first match by position";
    EXPECT_EQ(R::rejectedPhotoRecord(images, "77", 2), images[0]);
    EXPECT_EQ(R::rejectedPhotoRecord(images, "77", 1), nullptr) << "no record: not taken";
    EXPECT_EQ(R::rejectedPhotoRecord(images, "99", 0), images[1]);

    expectLook(R::rejectedPhoto(images[0].get()), Look::Thumbnail::ServerFile, "/media/77/3_t.jpg", "已上传",
        Color::green(), "uploaded");
    expectLook(R::rejectedPhoto(images[2].get()), Look::Thumbnail::LocalFile, "_7.jpg", "已拍摄",
        Color::red(), "shot again");
    expectLook(R::rejectedPhoto(nullptr), Look::Thumbnail::Resource, "no_pic_default", "未拍摄",
        Color::black(), "none");
    auto video = record("UPLOADED", "video", "77", "19");
    expectLook(R::rejectedVideo(video.get()), Look::Thumbnail::Resource, "icon_video", "已上传",
        Color::green(), "video");
    expectLook(R::rejectedVideo(record("PENDING", "video", "77", "1").get()), Look::Thumbnail::Resource,
        "icon_video", "已拍摄", Color::red(), "video shot again");
    expectLook(R::rejectedVideo(nullptr), Look::Thumbnail::Resource, "no_pic_default", "未拍摄",
        Color::black(), "no video");
}

TEST_F(ShotGridRulesRecords, FinishedSlotsPairByPositionInTheList)
{
    // The server holds photos 1, 2 and 4 of five shots, then the video: photo 4 moves up into
    // row 2, the video falls on row 3, and row 4 is past the end.
    Records all {record("UPLOADED", "image", "5", "1"), record("UPLOADED", "image", "5", "2"),
        record("UPLOADED", "image", "5", "4"), record("UPLOADED", "video", "5", "6")};
    expectLook(R::finishedPhoto(all, 0), Look::Thumbnail::ServerFile, "/media/5/1_t.jpg", "已上传",
        Color::green(), "0");
    expectLook(R::finishedPhoto(all, 2), Look::Thumbnail::ServerFile, "/media/5/4_t.jpg", "已上传",
        Color::green(), "2");
    expectLook(
        R::finishedPhoto(all, 3), Look::Thumbnail::Resource, "no_pic_default", "未拍摄", Color::black(), "3");
    expectLook(
        R::finishedPhoto(all, 4), Look::Thumbnail::Resource, "no_pic_default", "未拍摄", Color::black(), "4");
    expectLook(R::finishedPhoto({}, 0), Look::Thumbnail::Resource, "no_pic_default", "未拍摄", Color::black(),
        "none");
    expectLook(
        R::finishedVideo(), Look::Thumbnail::Resource, "icon_video", "已上传", Color::green(), "video");
}

} // namespace
