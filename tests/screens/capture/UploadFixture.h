#pragma once

#include "tests/app/ShellFixture.h"

#include "core/net/HttpManager.h"
#include "core/net/UserInfo.h"
#include "core/store/GetCourseArrayModel.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/JpegCodec.h"
#include "screens/capture/UploadTaskViewController.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

class UploadTaskViewControllerTestApi {
public:
    static int64_t filesSent(const UploadTaskViewController& screen) { return screen.m_filesSent; }
    static size_t queued(const UploadTaskViewController& screen)
    {
        return screen.m_queue ? screen.m_queue->operationCount() : 0;
    }
    static void progressed(UploadTaskViewController& screen, const std::string& tag, float fraction)
    {
        screen.progressed(tag, fraction);
    }
    // A step as it reaches the main queue, in whatever order the queues' threads hand them on.
    static void showProgress(UploadTaskViewController& screen, const std::string& tag, float fraction)
    {
        screen.showProgress(tag, fraction);
    }
    // The progress the main queue last gave a file in flight.
    static std::optional<float> progressOf(const UploadTaskViewController& screen, const std::string& tag)
    {
        auto kept = screen.m_progressInFlight.find(tag);
        return kept == screen.m_progressInFlight.end() ? std::nullopt : std::optional(kept->second);
    }
    static void track(
        UploadTaskViewController& screen, const std::string& tag, std::shared_ptr<MivoUploadTask> record)
    {
        screen.m_recordsInFlight[tag] = std::move(record);
    }
    static void fileFinished(
        UploadTaskViewController& screen, const std::string& tag, const foundation::Value& reply)
    {
        screen.fileFinished(tag, reply);
    }
};

namespace mivo::test {

// The app logged in as "arvel" (company Arvel, order prefix "AV") against the stand-in server, with
// helpers that store a ready-to-upload task with real files and open the upload screen on it.
class UploadFixture : public ShellFixture {
protected:
    static constexpr const char* kPlan1 = "拆密封条-方案1";
    static constexpr const char* kPrefix = "AV";

    void SetUp() override
    {
        ShellFixture::SetUp();
        m_sliding = logIn("arvel");
        ASSERT_TRUE(m_sliding);
    }

    void TearDown() override
    {
        // Requests still running hold the screen: let them end before the platform is reset.
        if (m_screen)
            settle();
        HttpManager::setTimeoutsForTesting(std::nullopt, std::nullopt);
        m_screen.reset();
        m_sliding.reset();
        ShellFixture::TearDown();
    }

    static std::vector<std::shared_ptr<MivoUploadTask>> records(const data::Predicate& predicate)
    {
        return store()->listMivoUploadTasks(predicate).value_or(
            std::vector<std::shared_ptr<MivoUploadTask>> {});
    }

    static std::shared_ptr<IMivoDataBaseManager> store() { return IMivoDataBaseManager::sharedManager(); }

    static std::filesystem::path writeFile(const char* folder, const std::string& name, size_t bytes)
    {
        auto path = *LocalDocumentManager::userFolder(folder) / name;
        std::ofstream out(path, std::ios::binary);
        std::string chunk(bytes, '\0');
        for (size_t i = 0; i < bytes; ++i)
            chunk[i] = static_cast<char>((i * 131 + name.size()) & 0xff);
        out << chunk;
        return path;
    }

    static std::string thumbnailJpeg()
    {
        static const std::string bytes = [] {
            auto image = graphics::Image::create(16, 12);
            auto encoded = graphics::JpegCodec::encode(*image, 80);
            return std::string(encoded->begin(), encoded->end());
        }();
        return bytes;
    }

    // A task of `photoType` in `status` with the shot list of its plan: the first `photos` shots and
    // (when `video`) the video taken ("PENDING", with files), the other shots "DEFAULT".
    void makeTask(const std::string& applyNO, size_t photos, bool video, const std::string& carID = {},
        const std::string& status = "TOUPLOAD", const std::string& photoType = kPlan1)
    {
        foundation::Date created(1456798830); // 2016-03-01 02:20:30 UTC
        ASSERT_TRUE(store()->insertMivoTask(foundation::Map {{"applyNO", applyNO},
            {"baseLocation", "上海浦东仓"}, {"ensureCompany", "平安保险"}, {"dealPrice", "86000"},
            {"productType", "常规产品"}, {"photoType", photoType}, {"createUser", "arvel"},
            {"createTime", created}, {"taskStatus", status}, {"carID", carID}, {"oldApplyNO", ""}}));
        size_t shots = GetCourseArrayModel::getConstantArrayByType(
            UploadTaskViewController::courseListType(UserInfo::sharedInstance()->companyName(), photoType))
                           .size();
        std::vector<foundation::Map> records;
        for (size_t i = 1; i <= shots + 1; ++i) {
            bool isVideo = i == shots + 1;
            bool taken = isVideo ? video : i <= photos;
            std::string name = applyNO + "-" + std::to_string(i) + (isVideo ? ".mp4" : ".jpg");
            std::string thumb = "_" + name + ".jpg";
            const char* folder
                = isVideo ? LocalDocumentManager::kVideoFolder : LocalDocumentManager::kPictureFolder;
            if (taken) {
                writeFile(folder, name, isVideo ? 64 * 1024 : 16 * 1024);
                foundation::writeFileAtomically(
                    *LocalDocumentManager::userFolder(folder) / thumb, thumbnailJpeg());
            }
            records.push_back(foundation::Map {{"applyNO", applyNO}, {"createTime", created},
                {"resourceType", isVideo ? "video" : "image"}, {"taskPosition", std::to_string(i)},
                {"taskStatus", taken ? "PENDING" : "DEFAULT"}, {"carID", carID},
                {"resourceName", taken ? name : ""}, {"screenshotName", taken ? thumb : ""},
                {"resourceFilePath", ""}, {"screenshotPath", ""}});
        }
        ASSERT_TRUE(store()->insertMivoUploadTasks(records));
    }

    // Registers a task with the server as "add" would; its server id.
    static std::string registerTask(const std::string& applyNO)
    {
        s_server->post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", "1001"}, {"applyNo", kPrefix + applyNO}, {"stockArea", "上海浦东仓"},
                {"undertakeCompany", "平安保险"}, {"secondhandPrice", "86000"}, {"carSource", "0"},
                {"regDate", "2016-03-01 10:20:30"}, {"loantype", "0"}});
        return s_server->carIdOf(kPrefix + applyNO).value_or("");
    }

    std::shared_ptr<UploadTaskViewController> open(const std::string& applyNO, const std::string& uuid = {},
        const std::string& model = {}, const std::string& photoType = kPlan1)
    {
        m_screen = UploadTaskViewController::create();
        m_screen->setApplyTaskNO(applyNO);
        m_screen->setApplyTaskPhotoType(photoType);
        m_screen->setUuidForTask(uuid);
        m_screen->setUploadModel(model);
        m_sliding->presentViewController(m_screen, false);
        return m_screen;
    }

    // Until every request the screen sent has been answered and nothing is queued.
    bool settle(double seconds = 20)
    {
        using Api = UploadTaskViewControllerTestApi;
        auto& screen = *m_screen;
        return runUntil(
            [&] {
                return Api::queued(screen) == 0
                    && Api::filesSent(screen) == screen.uploadTempCount() + screen.warningTotalCount();
            },
            seconds);
    }

    bool waitForAlert(const std::string& text, double seconds = 20)
    {
        return runUntil([&] { return alertText(*m_screen) == text; }, seconds);
    }

    static std::vector<std::string> alertButtons(const ModalAlertView& alert)
    {
        std::vector<std::string> titles;
        for (const auto& button : alert.buttons())
            titles.push_back(button->currentTitle().value_or(""));
        return titles;
    }

    static std::map<std::string, std::string> statusByPosition(const std::string& applyNO)
    {
        std::map<std::string, std::string> states;
        auto records
            = store()->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", applyNO)).value();
        for (const auto& record : records)
            states[record->resourceType() + ":" + record->taskPosition()] = record->taskStatus();
        return states;
    }

    static size_t countStatus(const std::string& applyNO, const std::string& status)
    {
        size_t count = 0;
        for (const auto& [key, value] : statusByPosition(applyNO))
            count += value == status;
        return count;
    }

    static std::shared_ptr<MivoTask> task(const std::string& applyNO)
    {
        auto tasks = store()->listMivoTasks(data::Predicate::withFormat("applyNO=%@", applyNO));
        return tasks && !tasks->empty() ? tasks->front() : nullptr;
    }

    // The files the server holds for the task registered under the number, as "type:position".
    static std::set<std::string> serverFiles(const std::string& applyNO)
    {
        std::set<std::string> files;
        auto reply = s_server->post("/admin/tasks", {{"applyNo", kPrefix + applyNO}});
        auto json = foundation::Value::fromJson(reply.body);
        if (!json)
            return files;
        for (const auto& serverTask : (*json)["Data"].asArray()) {
            for (const auto& file : serverTask["CarFilesList"].asArray())
                files.insert(file["FileType"].asString() + ":" + file["FileNum"].asString());
        }
        return files;
    }

    // No record is "UPLOADED" that the server does not hold, and none is "PENDING" that it does.
    static void expectStoreMatchesServer(const std::string& applyNO)
    {
        auto held = serverFiles(applyNO);
        for (const auto& [key, status] : statusByPosition(applyNO)) {
            if (status == "UPLOADED") {
                EXPECT_TRUE(held.count(key)) << key << " is UPLOADED but the server does not hold it";
            }
            if (status == "PENDING") {
                EXPECT_FALSE(held.count(key)) << key << " is PENDING but the server holds it";
            }
        }
    }

    static size_t logCount(const std::string& needle)
    {
        std::string log = s_server->settledLog();
        size_t count = 0;
        for (size_t at = log.find(needle); at != std::string::npos; at = log.find(needle, at + 1))
            ++count;
        return count;
    }

    std::shared_ptr<SlidingViewController> m_sliding;
    std::shared_ptr<UploadTaskViewController> m_screen;
};

} // namespace mivo::test
