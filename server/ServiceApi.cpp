#include "server/ServiceApi.h"

#include "server/MediaStore.h"
#include "server/ServerStore.h"
#include "server/Thumbnailer.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace server {

using nlohmann::json;

namespace {

std::string dump(const json& value)
{
    // Replace rather than throw on invalid UTF-8 that a hostile client may send.
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

const std::string* field(const Form& form, const std::string& key)
{
    auto it = form.find(key);
    return it == form.end() ? nullptr : &it->second;
}

std::string value(const Form& form, const std::string& key)
{
    const std::string* v = field(form, key);
    return v ? *v : std::string();
}

// The first of `keys` that the form lacks, or nullptr.
const char* firstMissing(const Form& form, std::initializer_list<const char*> keys)
{
    for (const char* key : keys) {
        if (!field(form, key))
            return key;
    }
    return nullptr;
}

std::optional<int64_t> parseId(const std::string& text)
{
    int64_t id = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec != std::errc() || end != text.data() + text.size() || id <= 0)
        return std::nullopt;
    return id;
}

Reply missingField(const char* key)
{
    return ServiceApi::failure(std::string("缺少参数: ") + key);
}

} // namespace

ServiceApi::ServiceApi(ServerStore& store, MediaStore& media, WallClock clock, uint64_t maxUploadBytes)
    : m_store(store)
    , m_media(media)
    , m_clock(std::move(clock))
    , m_maxUploadBytes(maxUploadBytes)
{ }

Reply ServiceApi::envelope(bool success, const std::string& msg, const std::string& dataJson)
{
    Reply reply;
    reply.body = dump(json {{"Success", success}, {"Msg", msg}, {"Data", json::parse(dataJson)}});
    return reply;
}

Reply ServiceApi::handle(const std::string& path, const Form& form)
{
    const std::string method = value(form, "method");
    if (path == "/Services/Login.ashx")
        return login(form);
    if (path == "/Services/userinfo.ashx") {
        if (method == "updatesimid")
            return updateSimid(form);
        if (method == "updatepwd")
            return updatePassword(form);
    } else if (path == "/Services/CarTask.ashx") {
        if (method == "validate")
            return validate(form);
        if (method == "add")
            return add(form);
        if (method == "updateapplyno")
            return updateApplyNo(form);
        if (method == "endcount")
            return count(form, kStatusFinished);
        if (method == "overrulecount")
            return count(form, kStatusRejected);
        if (method == "endlist")
            return list(form, kStatusFinished);
        if (method == "overrulelist")
            return list(form, kStatusRejected);
    } else {
        return failure("接口不存在: " + path);
    }
    return failure("未知的请求方法: " + method);
}

Reply ServiceApi::login(const Form& form)
{
    const std::string username = value(form, "username");
    const std::string password = value(form, "password");
    if (username.empty() || password.empty())
        return envelope(false, "用户名或密码不能为空", R"({"errorstate": 2})");
    auto user = m_store.userByLogin(username);
    if (!user || user->password != password)
        return envelope(false, "用户名或密码错误", R"({"errorstate": 1})");

    const std::string simid = value(form, "simid");
    // "0": no device bound yet, "1": bound to this device, "2": bound to another device.
    std::string simidState = user->simid.empty() ? "0" : (user->simid == simid ? "1" : "2");
    json data {
        {"userId", user->id},
        {"name", user->name},
        {"loginname", user->loginName},
        {"companyname", user->companyName},
        {"orderprefix", user->orderPrefix},
        {"logourl", user->logoUrl},
        {"photoplan", user->photoPlan},
        {"simidstate", simidState},
        {"simid", user->simid},
    };
    return envelope(true, "登录成功", dump(data));
}

Reply ServiceApi::updateSimid(const Form& form)
{
    if (const char* key = firstMissing(form, {"username", "simid"}))
        return missingField(key);
    const std::string username = value(form, "username");
    const std::string simid = value(form, "simid");
    if (simid.empty())
        return failure("设备编号不能为空");
    if (!m_store.setSimid(username, simid))
        return failure("用户不存在");
    return envelope(true, "绑定成功", dump(json {{"simid", simid}, {"simidstate", "1"}}));
}

Reply ServiceApi::updatePassword(const Form& form)
{
    if (const char* key = firstMissing(form, {"username", "oldpassword", "password"}))
        return missingField(key);
    auto user = m_store.userByLogin(value(form, "username"));
    if (!user)
        return failure("用户不存在");
    if (user->password != value(form, "oldpassword"))
        return failure("原密码错误");
    const std::string password = value(form, "password");
    if (password.empty())
        return failure("新密码不能为空");
    m_store.setPassword(user->loginName, password);
    return envelope(true, "密码修改成功");
}

Reply ServiceApi::validate(const Form& form)
{
    if (const char* key = firstMissing(form, {"applyNo"}))
        return missingField(key);
    const std::string applyNo = value(form, "applyNo");
    if (applyNo.empty())
        return failure("申请编号不能为空");
    if (m_store.applyNoExists(applyNo))
        return failure("申请编号已存在");
    return envelope(true, "申请编号可用");
}

Reply ServiceApi::add(const Form& form)
{
    if (const char* key = firstMissing(form,
            {"userId", "applyNo", "stockArea", "undertakeCompany", "secondhandPrice", "carSource", "regDate",
                "loantype"}))
        return missingField(key);
    auto userId = parseId(value(form, "userId"));
    if (!userId)
        return failure("用户编号不合法");
    if (!m_store.userById(*userId))
        return failure("用户不存在");
    TaskRecord task;
    task.userId = *userId;
    task.applyNo = value(form, "applyNo");
    if (task.applyNo.empty())
        return failure("申请编号不能为空");
    task.stockArea = value(form, "stockArea");
    task.undertakeCompany = value(form, "undertakeCompany");
    task.secondhandPrice = value(form, "secondhandPrice");
    task.carSource = value(form, "carSource");
    task.regDate = value(form, "regDate");
    task.loanType = value(form, "loantype");
    task.status = kStatusSubmitted;
    double stamp = now();
    task.createTime = ServerTime::formatLocal(stamp);
    task.updateDate = task.createTime;
    task.updateStamp = stamp;
    auto id = m_store.addTask(task);
    if (!id)
        return failure("申请编号已存在");
    return envelope(true, "任务创建成功", dump(json {{"serverId", std::to_string(*id)}}));
}

Reply ServiceApi::updateApplyNo(const Form& form)
{
    if (const char* key = firstMissing(form, {"serverId", "applyNo"}))
        return missingField(key);
    auto id = parseId(value(form, "serverId"));
    if (!id)
        return failure("任务编号不合法");
    const std::string applyNo = value(form, "applyNo");
    if (applyNo.empty())
        return failure("申请编号不能为空");
    switch (m_store.setApplyNo(*id, applyNo)) {
    case ServerStore::ApplyNoChange::Changed:
        return envelope(true, "申请编号已更新");
    case ServerStore::ApplyNoChange::Taken:
        return failure("申请编号已存在");
    case ServerStore::ApplyNoChange::NoSuchTask:
        break;
    }
    return failure("任务不存在");
}

namespace {

struct ListQuery {
    std::optional<UserRecord> user;
    double since = 0;
    std::optional<Reply> error;
};

ListQuery readListQuery(const Form& form, const ServerStore& store)
{
    ListQuery query;
    if (const char* key = firstMissing(form, {"LoginName", "updateDate"})) {
        query.error = missingField(key);
        return query;
    }
    query.user = store.userByLogin(value(form, "LoginName"));
    if (!query.user) {
        query.error = ServiceApi::failure("用户不存在");
        return query;
    }
    const std::string date = value(form, "updateDate");
    if (!date.empty()) {
        auto since = ServerTime::parseLocal(date);
        if (!since) {
            query.error = ServiceApi::failure("updateDate 格式错误, 应为 yyyy-MM-dd HH:mm:ss");
            return query;
        }
        query.since = *since;
    }
    return query;
}

} // namespace

Reply ServiceApi::count(const Form& form, const char* status)
{
    ListQuery query = readListQuery(form, m_store);
    if (query.error)
        return *query.error;
    auto tasks = m_store.tasksWithStatus(query.user->id, status, query.since);
    Reply reply;
    reply.body = dump(json {{"Success", true}, {"Msg", ""}, {"Data", {{"Count", tasks.size()}}},
        {"sysdate", ServerTime::formatLocal(now())}});
    return reply;
}

Reply ServiceApi::list(const Form& form, const char* status)
{
    ListQuery query = readListQuery(form, m_store);
    if (query.error) {
        Reply reply = *query.error;
        reply.body = dump(
            json {{"Success", false}, {"Msg", json::parse(reply.body)["Msg"]}, {"Data", json::array()}});
        return reply;
    }
    json data = json::array();
    for (const auto& task : m_store.tasksWithStatus(query.user->id, status, query.since))
        data.push_back(json::parse(taskJson(task.id)));
    Reply reply;
    reply.body = dump(
        json {{"Success", true}, {"Msg", ""}, {"Data", data}, {"sysdate", ServerTime::formatLocal(now())}});
    return reply;
}

std::string ServiceApi::taskJson(int64_t taskId) const
{
    auto task = m_store.task(taskId);
    if (!task)
        return "null";
    auto user = m_store.userById(task->userId);
    std::string withoutPrefix = task->applyNo;
    if (user && !user->orderPrefix.empty() && withoutPrefix.starts_with(user->orderPrefix))
        withoutPrefix.erase(0, user->orderPrefix.size());
    const std::string carId = std::to_string(task->id);
    json files = json::array();
    for (const auto& f : m_store.files(task->id)) {
        files.push_back({
            {"carTaskId", carId},
            {"FileNum", std::to_string(f.seq)},
            {"FileType", f.type},
            {"FileName", f.fileName},
            {"FileUrl", MediaStore::fileUrl(task->id, f.storedName)},
            {"Thumbnail", MediaStore::thumbUrl(task->id, f.thumbName)},
            {"UploadTime", f.uploadTime},
        });
    }
    json result {
        {"CarID", carId},
        {"ApplyNo", task->applyNo},
        {"ApplyNoWithoutPrefix", withoutPrefix},
        {"carSource", task->carSource},
        {"StockArea", task->stockArea},
        {"UndertakeCompany", task->undertakeCompany},
        {"SecondhandPrice", task->secondhandPrice},
        {"RegDate", task->regDate},
        {"LoanType", task->loanType},
        {"Status", task->status},
        {"RejectReason", task->rejectReason},
        {"AssessPrice", task->assessPrice},
        {"CreateTime", task->createTime},
        {"UpdateDate", task->updateDate},
        {"UserId", task->userId},
        {"LoginName", user ? user->loginName : std::string()},
        {"CarFilesList", files},
    };
    return dump(result);
}

Reply ServiceApi::upload(const Form& form, UploadedPart& part)
{
    auto fail = [](const std::string& msg) {
        Reply reply = failure(msg);
        reply.contentType = "text/html";
        return reply;
    };
    if (part.tooMany)
        return fail("每次只能上传一个文件");
    if (!part.present)
        return fail("缺少文件");
    if (part.oversize)
        return fail(oversizeMessage());
    if (part.size == 0)
        return fail("文件为空");
    if (const char* key = firstMissing(form, {"carTaskId", "seq"}))
        return fail(std::string("缺少参数: ") + key);
    auto taskId = parseId(value(form, "carTaskId"));
    if (!taskId)
        return fail("任务编号不合法: \"" + value(form, "carTaskId") + "\"");
    auto task = m_store.task(*taskId);
    if (!task)
        return fail("任务不存在");
    if (task->status == kStatusFinished)
        return fail("任务已完成, 不能再上传文件");
    auto seq = parseId(value(form, "seq"));
    if (!seq)
        return fail("文件序号不合法");
    std::string fileName = field(form, "filename") ? value(form, "filename") : part.fileName;
    if (!MediaStore::isSafeName(fileName))
        return fail("文件名不合法");
    std::string type = value(form, "type");
    if (type.empty())
        type = part.contentType.starts_with("video/") ? "video" : "image";
    if (type != "image" && type != "video")
        return fail("文件类型不合法: " + type);

    FileRecord record;
    record.taskId = *taskId;
    record.seq = *seq;
    record.type = type;
    record.fileName = fileName;
    record.storedName = MediaStore::storedName(*seq, fileName);
    record.thumbName = MediaStore::thumbName(*seq, fileName);
    record.carSource = value(form, "carSource");
    record.maxSeq = value(form, "maxseq");
    record.picMode = value(form, "picMode");
    record.optional = value(form, "optional");
    record.imgIsOriginal = value(form, "imgisoriginal");
    record.lastModifyTime = value(form, "filelastModifyTime");
    record.uploadTime = ServerTime::formatLocal(now());
    record.size = static_cast<int64_t>(part.size);

    // Unsigned: a hostile seq near the 64-bit limit must not overflow.
    const uint64_t stripe = static_cast<uint64_t>(*taskId) * 31 + static_cast<uint64_t>(*seq);
    std::lock_guard lock(m_uploadLocks[stripe % m_uploadLocks.size()]);
    namespace fs = std::filesystem;
    std::error_code ec;
    const auto destination = m_media.filePath(*taskId, record.storedName);
    const auto thumbnail = m_media.thumbPath(*taskId, record.thumbName);
    fs::create_directories(thumbnail.parent_path(), ec);
    // The earlier file of this position stays until the new one and its thumbnail are in place, so
    // a failed replacement loses nothing and leaves nothing behind.
    auto tempThumbnail = part.tempFile;
    tempThumbnail += ".thumb.jpg";
    auto discardThumbnail = [&] { fs::remove(tempThumbnail, ec); };
    if (!Thumbnailer::makeThumbnail(part.tempFile, tempThumbnail, type == "video")) {
        discardThumbnail();
        return fail("缩略图生成失败");
    }
    auto previous = m_store.file(*taskId, *seq);
    const bool replacesFile = previous && previous->storedName == record.storedName;
    fs::rename(part.tempFile, destination, ec);
    if (ec) {
        std::string reason = ec.message();
        discardThumbnail();
        return fail("文件保存失败: " + reason);
    }
    fs::rename(tempThumbnail, thumbnail, ec);
    if (ec) {
        std::string reason = ec.message();
        discardThumbnail();
        if (!replacesFile)
            fs::remove(destination, ec);
        return fail("文件保存失败: " + reason);
    }
    m_store.putFile(record);
    if (previous) {
        if (previous->storedName != record.storedName)
            fs::remove(m_media.filePath(*taskId, previous->storedName), ec);
        if (previous->thumbName != record.thumbName)
            fs::remove(m_media.thumbPath(*taskId, previous->thumbName), ec);
    }
    if (task->status == kStatusRejected) {
        // Shot again after a rejection: back in the queue, out of the rejected list.
        double stamp = now();
        m_store.setStatus(*taskId, kStatusSubmitted, task->rejectReason, task->assessPrice, stamp,
            ServerTime::formatLocal(stamp));
    }
    Reply reply = envelope(true, "上传成功",
        dump(json {{"FileUrl", MediaStore::fileUrl(*taskId, record.storedName)},
            {"Thumbnail", MediaStore::thumbUrl(*taskId, record.thumbName)}}));
    reply.contentType = "text/html";
    return reply;
}

std::string ServiceApi::oversizeMessage() const
{
    constexpr uint64_t kMb = 1024 * 1024;
    std::string limit = m_maxUploadBytes >= kMb && m_maxUploadBytes % kMb == 0
        ? std::to_string(m_maxUploadBytes / kMb) + " MB"
        : std::to_string(m_maxUploadBytes) + " 字节";
    return "文件过大, 上限 " + limit;
}

Reply ServiceApi::admin(const std::string& action, const Form& form)
{
    if (action == "finish")
        return adminSetStatus(form, kStatusFinished);
    if (action == "reject")
        return adminSetStatus(form, kStatusRejected);
    if (action == "user")
        return adminAddUser(form);
    if (action == "tasks")
        return adminTasks(form);
    return failure("unknown admin action: " + action);
}

Reply ServiceApi::adminSetStatus(const Form& form, const char* status)
{
    auto id = parseId(value(form, "carId"));
    if (!id)
        return failure("carId missing or not a task id");
    auto task = m_store.task(*id);
    if (!task)
        return failure("任务不存在");
    std::string reason;
    if (std::string(status) == kStatusRejected) {
        reason = value(form, "reason");
        if (reason.empty())
            reason = "照片不合格, 请重新拍摄";
    }
    std::string price = field(form, "price") ? value(form, "price") : task->assessPrice;
    double stamp = now();
    m_store.setStatus(*id, status, reason, price, stamp, ServerTime::formatLocal(stamp));
    return envelope(true, std::string("task ") + std::to_string(*id) + " is now " + status, taskJson(*id));
}

Reply ServiceApi::adminAddUser(const Form& form)
{
    UserRecord user;
    user.loginName = value(form, "loginname");
    user.password = value(form, "password");
    if (user.loginName.empty() || user.password.empty())
        return failure("loginname and password are required");
    if (field(form, "userId")) {
        auto id = parseId(value(form, "userId"));
        if (!id)
            return failure("userId must be a positive integer");
        if (m_store.userById(*id))
            return failure("userId already in use");
        user.id = *id;
    }
    user.name = field(form, "name") ? value(form, "name") : user.loginName;
    user.companyName = value(form, "companyname");
    user.orderPrefix = value(form, "orderprefix");
    user.logoUrl = value(form, "logourl");
    user.photoPlan = value(form, "photoplan");
    user.simid = value(form, "simid");
    auto id = m_store.addUser(user);
    if (!id)
        return failure("用户名已存在");
    return envelope(true, "user added", dump(json {{"userId", *id}}));
}

Reply ServiceApi::adminTasks(const Form& form)
{
    json data = json::array();
    const std::string applyNo = value(form, "applyNo");
    for (const auto& task : m_store.allTasks()) {
        if (!applyNo.empty() && task.applyNo != applyNo)
            continue;
        data.push_back(json::parse(taskJson(task.id)));
    }
    Reply reply;
    reply.body = dump(
        json {{"Success", true}, {"Msg", ""}, {"Data", data}, {"sysdate", ServerTime::formatLocal(now())}});
    return reply;
}

} // namespace server
