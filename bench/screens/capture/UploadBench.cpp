// A whole task (18 photos of about 3 MB and a 15 MB video) uploaded over loopback to the stand-in
// server by the upload screen, beside libcurl's multi interface uploading the same files with the same
// fields in parallel to the same server. Both must end with the server answering Success for every
// file with the same file URLs. Also reports the process's peak resident memory against the size of
// the files in flight.
#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/UserInfo.h"
#include "core/store/IMivoDataBaseManager.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/data/Predicate.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"
#include "screens/capture/UploadTaskViewController.h"
#include "tests/support/StandInServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kPhotos = 18;
constexpr size_t kPhotoBytes = 3 * 1024 * 1024;
constexpr size_t kVideoBytes = 15 * 1024 * 1024;
constexpr const char* kApplyNO = "B100";

struct File {
    std::string name;
    std::string position;
    bool video;
    std::filesystem::path path;
};

struct Setup {
    std::unique_ptr<testsupport::StandInServer> server;
    std::filesystem::path home;
    std::string carId;
    std::vector<File> files;
    size_t totalBytes {0};
};

// Incompressible bytes, so no layer can take a shortcut.
void writeRandomFile(const std::filesystem::path& path, size_t bytes, unsigned seed)
{
    std::mt19937_64 random(seed);
    std::vector<uint64_t> chunk(64 * 1024 / 8);
    std::ofstream out(path, std::ios::binary);
    for (size_t written = 0; written < bytes; written += chunk.size() * 8) {
        for (auto& word : chunk)
            word = random();
        out.write(reinterpret_cast<const char*>(chunk.data()),
            static_cast<std::streamsize>(std::min(bytes - written, chunk.size() * 8)));
    }
}

Setup& setup()
{
    static Setup made = [] {
        Setup s;
        s.server = std::make_unique<testsupport::StandInServer>(std::vector<std::string> {"--quiet"});
        if (!s.server->isRunning())
            std::abort();
        std::string pattern = (std::filesystem::temp_directory_path() / "mivo-upload-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        s.home = pattern;
        foundation::Paths::setHome(s.home);
        auto& defaults = foundation::UserDefaults::standard();
        defaults.reload();
        defaults.set(GetBaseUrlAndPortModel::kBaseUrlKey, "http://127.0.0.1");
        defaults.set(GetBaseUrlAndPortModel::kBasePortKey, std::to_string(s.server->port()));
        defaults.set(LocalDocumentManager::kCurrentUserKey, "user1001");
        auto user = UserInfo::sharedInstance();
        user->setUserId(1001);
        user->setCompanyName("Arvel");
        user->setOrderPrefix("AV");

        auto reply = s.server->post("/Services/CarTask.ashx?method=add&time=1",
            {{"userId", "1001"}, {"applyNo", std::string("AV") + kApplyNO}, {"stockArea", "仓"},
                {"undertakeCompany", "保"}, {"secondhandPrice", "1"}, {"carSource", "0"}, {"regDate", ""},
                {"loantype", "0"}});
        s.carId = s.server->carIdOf(std::string("AV") + kApplyNO).value_or("");
        if (s.carId.empty())
            std::abort();

        auto store = IMivoDataBaseManager::sharedManager();
        store->insertMivoTask({{"applyNO", kApplyNO}, {"taskStatus", "TOUPLOAD"}, {"carID", s.carId},
            {"photoType", "拆密封条-方案1"}, {"createTime", foundation::Date::now()}});
        std::vector<foundation::Map> records;
        for (int i = 1; i <= kPhotos + 1; ++i) {
            bool video = i == kPhotos + 1;
            File file {std::to_string(i) + (video ? ".mp4" : ".jpg"), std::to_string(i), video, {}};
            file.path = *LocalDocumentManager::userFolder(video ? "video" : "picture") / file.name;
            writeRandomFile(file.path, video ? kVideoBytes : kPhotoBytes, static_cast<unsigned>(i));
            s.totalBytes += video ? kVideoBytes : kPhotoBytes;
            records.push_back({{"applyNO", kApplyNO}, {"resourceType", video ? "video" : "image"},
                {"taskPosition", file.position}, {"taskStatus", "PENDING"}, {"carID", s.carId},
                {"resourceName", file.name}, {"screenshotName", ""}});
            s.files.push_back(file);
        }
        store->insertMivoUploadTasks(records);
        std::atexit([] { std::filesystem::remove_all(setup().home); });
        return s;
    }();
    return made;
}

long peakResidentKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::set<std::string> urlsOf(const std::vector<std::shared_ptr<MivoUploadTask>>& records)
{
    std::set<std::string> urls;
    for (const auto& record : records)
        urls.insert(record->fileUrl());
    return urls;
}

std::set<std::string> s_screenUrls;
std::set<std::string> s_curlUrls;

void BM_UploadScreen(benchmark::State& state)
{
    auto& s = setup();
    foundation::LogCapture quiet(foundation::LogCapture::Echo::No);
    auto& loop = foundation::RunLoop::main();
    auto store = IMivoDataBaseManager::sharedManager();
    auto window = ui::Window::create({0, 0, 320, 568});
    window->makeKeyAndVisible();
    for (auto _ : state) {
        state.PauseTiming();
        auto all
            = store->listMivoUploadTasks(data::Predicate::withFormat("applyNO=%@", std::string(kApplyNO)));
        for (const auto& record : *all)
            store->updateMivoUploadTask(record, {{"taskStatus", "PENDING"}, {"fileUrl", ""}});
        auto screen = UploadTaskViewController::create();
        screen->setApplyTaskNO(kApplyNO);
        screen->setApplyTaskPhotoType("拆密封条-方案1");
        screen->setUuidForTask(s.carId);
        window->setRootViewController(screen);
        state.ResumeTiming();

        screen->loadViewIfNeeded();
        bool done = loop.runUntil(
            [&] { return screen->uploadTempCount() + screen->warningTotalCount() == kPhotos + 1; }, 120);

        state.PauseTiming();
        if (!done || screen->uploadTempCount() != kPhotos + 1) {
            state.SkipWithError("the upload screen did not upload every file");
            break;
        }
        s_screenUrls = urlsOf(screen->uploadedData());
        window->setRootViewController(nullptr);
        loop.runFor(0.05);
        state.ResumeTiming();
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peakResidentKilobytes()) / 1024;
    state.counters["files_MB"] = static_cast<double>(s.totalBytes) / (1024 * 1024);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.totalBytes));
}

size_t collect(char* data, size_t size, size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

void BM_CurlMulti(benchmark::State& state)
{
    auto& s = setup();
    std::string url = GetBaseUrlAndPortModel::getBaseUrlAndPort() + "/FileUpload.ashx?method=upload&time=1";
    for (auto _ : state) {
        CURLM* multi = curl_multi_init();
        std::vector<CURL*> easies;
        std::vector<curl_mime*> mimes;
        std::vector<std::string> replies(s.files.size());
        for (size_t i = 0; i < s.files.size(); ++i) {
            const File& file = s.files[i];
            CURL* easy = curl_easy_init();
            curl_mime* mime = curl_mime_init(easy);
            auto field = [&](const char* name, const std::string& value) {
                curl_mimepart* part = curl_mime_addpart(mime);
                curl_mime_name(part, name);
                curl_mime_data(part, value.c_str(), CURL_ZERO_TERMINATED);
            };
            field("filename", file.name);
            field("carTaskId", s.carId);
            field("seq", file.position);
            field("carSource", "0");
            field("maxseq", "13");
            field("filelastModifyTime", "2425-11-03 05:52:00");
            field("imgisoriginal", "0");
            field("optional", "");
            field("picMode", "1");
            field("type", file.video ? "video" : "image");
            curl_mimepart* part = curl_mime_addpart(mime);
            curl_mime_name(part, ("file" + std::to_string(i + 1)).c_str());
            curl_mime_filedata(part, file.path.c_str());
            curl_mime_filename(part, file.name.c_str());
            curl_mime_type(part, file.video ? "video/mp4" : "image/png");
            curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
            curl_easy_setopt(easy, CURLOPT_MIMEPOST, mime);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collect);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, &replies[i]);
            curl_easy_setopt(easy, CURLOPT_TCP_NODELAY, 1L);
            curl_multi_add_handle(multi, easy);
            easies.push_back(easy);
            mimes.push_back(mime);
        }
        int running = 0;
        do {
            curl_multi_perform(multi, &running);
            if (running)
                curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        } while (running);
        state.PauseTiming();
        s_curlUrls.clear();
        for (size_t i = 0; i < easies.size(); ++i) {
            auto reply = foundation::Value::fromJson(replies[i]);
            if (!reply || (*reply)["Success"] != foundation::Value(true)) {
                state.SkipWithError("curl's upload was refused");
                break;
            }
            s_curlUrls.insert((*reply)["Data"]["FileUrl"].asString());
            curl_multi_remove_handle(multi, easies[i]);
            curl_easy_cleanup(easies[i]);
            curl_mime_free(mimes[i]);
        }
        curl_multi_cleanup(multi);
        state.ResumeTiming();
    }
    if (!s_screenUrls.empty() && s_screenUrls != s_curlUrls)
        state.SkipWithError("the screen and curl left different files on the server");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * s.totalBytes));
}

BENCHMARK(BM_UploadScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_CurlMulti)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

} // namespace

BENCHMARK_MAIN();
