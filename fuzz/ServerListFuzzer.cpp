// A server's task list reply as the finished and rejected lists take it: split from its "Data" as the
// request's worker does, checked, and the entries merged slice by slice into a scratch store in a
// home of its own (in /dev/shm when there is one, where SQLite's flushes cost nothing). The store
// starts afresh every so often so that it stays small.
#include "core/store/BaseDatabaseManager.h"
#include "platform/foundation/JsonList.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Value.h"
#include "screens/shell/RequestUrlUtil.h"
#include "screens/tasks/ServerTaskMerge.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path scratchHome()
{
    std::error_code code;
    fs::path parent = fs::is_directory("/dev/shm", code) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (parent / "mivo-fuzz-home-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    static const fs::path home = pattern;
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(home, ignored);
    });
    return home;
}

void freshStore()
{
    BaseDatabaseManager::resetSharedManagersForTesting();
    std::error_code code;
    fs::remove_all(foundation::Paths::home() / "Documents", code);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const fs::path home = [] {
        fs::path path = scratchHome();
        foundation::Paths::setHome(path);
        return path;
    }();
    static unsigned runs = 0;
    if (++runs % 500 == 0)
        freshStore();
    // The merge logs what it skips; kept off the fuzzer's output.
    foundation::LogCapture quiet(foundation::LogCapture::Echo::No);
    auto split = foundation::JsonList::fromJsonTakingList(
        std::string(reinterpret_cast<const char*>(data), size), "Data");
    if (!split || !RequestUrlUtil::succeeded(split->value) || !split->list)
        return 0;
    // Both lists and both rules, picked by the input's length.
    const char* status = size % 2 ? "FINISHED" : "REJECTED";
    auto rule = size % 4 < 2 ? IMivoDataBaseManager::MergeRule::Always
                             : IMivoDataBaseManager::MergeRule::OnlyWhileUploaded;
    auto merge = ServerTaskMerge::create(std::move(*split->list), status, "fuzz", rule);
    while (!merge->runSlice()) { }
    return 0;
}
