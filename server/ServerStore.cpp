#include "server/ServerStore.h"

#include <SQLiteCpp/SQLiteCpp.h>

namespace server {

namespace {

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS users (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    loginname TEXT NOT NULL UNIQUE,
    password TEXT NOT NULL,
    name TEXT NOT NULL DEFAULT '',
    companyname TEXT NOT NULL DEFAULT '',
    orderprefix TEXT NOT NULL DEFAULT '',
    logourl TEXT NOT NULL DEFAULT '',
    photoplan TEXT NOT NULL DEFAULT '',
    simid TEXT NOT NULL DEFAULT '');
CREATE TABLE IF NOT EXISTS tasks (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    user_id INTEGER NOT NULL,
    apply_no TEXT NOT NULL UNIQUE,
    stock_area TEXT NOT NULL DEFAULT '',
    undertake_company TEXT NOT NULL DEFAULT '',
    secondhand_price TEXT NOT NULL DEFAULT '',
    car_source TEXT NOT NULL DEFAULT '',
    reg_date TEXT NOT NULL DEFAULT '',
    loan_type TEXT NOT NULL DEFAULT '',
    status TEXT NOT NULL,
    reject_reason TEXT NOT NULL DEFAULT '',
    assess_price TEXT NOT NULL DEFAULT '',
    create_time TEXT NOT NULL DEFAULT '',
    update_date TEXT NOT NULL DEFAULT '',
    update_stamp REAL NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS tasks_by_user ON tasks (user_id, status, update_stamp);
CREATE TABLE IF NOT EXISTS files (
    task_id INTEGER NOT NULL,
    seq INTEGER NOT NULL,
    type TEXT NOT NULL,
    file_name TEXT NOT NULL,
    stored_name TEXT NOT NULL,
    thumb_name TEXT NOT NULL,
    car_source TEXT NOT NULL DEFAULT '',
    max_seq TEXT NOT NULL DEFAULT '',
    pic_mode TEXT NOT NULL DEFAULT '',
    optional TEXT NOT NULL DEFAULT '',
    img_is_original TEXT NOT NULL DEFAULT '',
    last_modify_time TEXT NOT NULL DEFAULT '',
    upload_time TEXT NOT NULL DEFAULT '',
    size INTEGER NOT NULL DEFAULT 0,
    PRIMARY KEY (task_id, seq));
)";

const char* const kUserColumns
    = "id, loginname, password, name, companyname, orderprefix, logourl, photoplan, simid";
const char* const kTaskColumns
    = "id, user_id, apply_no, stock_area, undertake_company, secondhand_price, car_source, reg_date, "
      "loan_type, "
      "status, reject_reason, assess_price, create_time, update_date, update_stamp";
const char* const kFileColumns
    = "task_id, seq, type, file_name, stored_name, thumb_name, car_source, max_seq, "
      "pic_mode, optional, img_is_original, last_modify_time, upload_time, size";

UserRecord readUser(SQLite::Statement& q)
{
    UserRecord u;
    u.id = q.getColumn(0).getInt64();
    u.loginName = q.getColumn(1).getString();
    u.password = q.getColumn(2).getString();
    u.name = q.getColumn(3).getString();
    u.companyName = q.getColumn(4).getString();
    u.orderPrefix = q.getColumn(5).getString();
    u.logoUrl = q.getColumn(6).getString();
    u.photoPlan = q.getColumn(7).getString();
    u.simid = q.getColumn(8).getString();
    return u;
}

TaskRecord readTask(SQLite::Statement& q)
{
    TaskRecord t;
    t.id = q.getColumn(0).getInt64();
    t.userId = q.getColumn(1).getInt64();
    t.applyNo = q.getColumn(2).getString();
    t.stockArea = q.getColumn(3).getString();
    t.undertakeCompany = q.getColumn(4).getString();
    t.secondhandPrice = q.getColumn(5).getString();
    t.carSource = q.getColumn(6).getString();
    t.regDate = q.getColumn(7).getString();
    t.loanType = q.getColumn(8).getString();
    t.status = q.getColumn(9).getString();
    t.rejectReason = q.getColumn(10).getString();
    t.assessPrice = q.getColumn(11).getString();
    t.createTime = q.getColumn(12).getString();
    t.updateDate = q.getColumn(13).getString();
    t.updateStamp = q.getColumn(14).getDouble();
    return t;
}

FileRecord readFile(SQLite::Statement& q)
{
    FileRecord f;
    f.taskId = q.getColumn(0).getInt64();
    f.seq = q.getColumn(1).getInt64();
    f.type = q.getColumn(2).getString();
    f.fileName = q.getColumn(3).getString();
    f.storedName = q.getColumn(4).getString();
    f.thumbName = q.getColumn(5).getString();
    f.carSource = q.getColumn(6).getString();
    f.maxSeq = q.getColumn(7).getString();
    f.picMode = q.getColumn(8).getString();
    f.optional = q.getColumn(9).getString();
    f.imgIsOriginal = q.getColumn(10).getString();
    f.lastModifyTime = q.getColumn(11).getString();
    f.uploadTime = q.getColumn(12).getString();
    f.size = q.getColumn(13).getInt64();
    return f;
}

std::string select(const char* columns, const char* table, const char* tail)
{
    return std::string("SELECT ") + columns + " FROM " + table + " " + tail;
}

} // namespace

ServerStore::ServerStore(const std::filesystem::path& databaseFile)
    : m_db(std::make_unique<SQLite::Database>(
        databaseFile.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE))
{
    m_db->exec("PRAGMA journal_mode=WAL");
    m_db->exec("PRAGMA synchronous=NORMAL");
    m_db->exec(kSchema);
}

ServerStore::~ServerStore() = default;

void ServerStore::seedDefaultUsers()
{
    {
        std::lock_guard lock(m_mutex);
        SQLite::Statement count(*m_db, "SELECT COUNT(*) FROM users");
        if (count.executeStep() && count.getColumn(0).getInt64() > 0)
            return;
    }
    // Fixed ids so that scripts and tests can name the users.
    const UserRecord seeds[] = {
        {1001, "arvel", "123456", "Arvel 检测员", "Arvel", "AV", "", "0", ""},
        {1002, "kestro", "123456", "Kestro 检测员", "Kestro", "KS", "", "1", ""},
        {1003, "ombry", "123456", "Ombry 检测员", "Ombry Motors", "OM", "", "2", ""},
    };
    for (const auto& seed : seeds)
        addUser(seed);
}

std::optional<UserRecord> ServerStore::userByLogin(const std::string& loginName) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kUserColumns, "users", "WHERE loginname = ?"));
    q.bind(1, loginName);
    if (!q.executeStep())
        return std::nullopt;
    return readUser(q);
}

std::optional<UserRecord> ServerStore::userById(int64_t id) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kUserColumns, "users", "WHERE id = ?"));
    q.bind(1, static_cast<int64_t>(id));
    if (!q.executeStep())
        return std::nullopt;
    return readUser(q);
}

std::optional<int64_t> ServerStore::addUser(const UserRecord& user)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement exists(*m_db, "SELECT 1 FROM users WHERE loginname = ?");
    exists.bind(1, user.loginName);
    if (exists.executeStep())
        return std::nullopt;
    SQLite::Statement q(*m_db,
        "INSERT INTO users (id, loginname, password, name, companyname, orderprefix, logourl, photoplan, "
        "simid) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (user.id > 0)
        q.bind(1, static_cast<int64_t>(user.id));
    else
        q.bind(1);
    q.bind(2, user.loginName);
    q.bind(3, user.password);
    q.bind(4, user.name);
    q.bind(5, user.companyName);
    q.bind(6, user.orderPrefix);
    q.bind(7, user.logoUrl);
    q.bind(8, user.photoPlan);
    q.bind(9, user.simid);
    q.exec();
    return m_db->getLastInsertRowid();
}

bool ServerStore::setSimid(const std::string& loginName, const std::string& simid)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, "UPDATE users SET simid = ? WHERE loginname = ?");
    q.bind(1, simid);
    q.bind(2, loginName);
    return q.exec() > 0;
}

bool ServerStore::setPassword(const std::string& loginName, const std::string& password)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, "UPDATE users SET password = ? WHERE loginname = ?");
    q.bind(1, password);
    q.bind(2, loginName);
    return q.exec() > 0;
}

bool ServerStore::applyNoExists(const std::string& applyNo) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, "SELECT 1 FROM tasks WHERE apply_no = ?");
    q.bind(1, applyNo);
    return q.executeStep();
}

std::optional<int64_t> ServerStore::addTask(const TaskRecord& task)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement exists(*m_db, "SELECT 1 FROM tasks WHERE apply_no = ?");
    exists.bind(1, task.applyNo);
    if (exists.executeStep())
        return std::nullopt;
    SQLite::Statement q(*m_db,
        "INSERT INTO tasks (user_id, apply_no, stock_area, undertake_company, secondhand_price, car_source, "
        "reg_date, loan_type, status, reject_reason, assess_price, create_time, update_date, update_stamp) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.bind(1, static_cast<int64_t>(task.userId));
    q.bind(2, task.applyNo);
    q.bind(3, task.stockArea);
    q.bind(4, task.undertakeCompany);
    q.bind(5, task.secondhandPrice);
    q.bind(6, task.carSource);
    q.bind(7, task.regDate);
    q.bind(8, task.loanType);
    q.bind(9, task.status);
    q.bind(10, task.rejectReason);
    q.bind(11, task.assessPrice);
    q.bind(12, task.createTime);
    q.bind(13, task.updateDate);
    q.bind(14, task.updateStamp);
    q.exec();
    return m_db->getLastInsertRowid();
}

std::optional<TaskRecord> ServerStore::task(int64_t id) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kTaskColumns, "tasks", "WHERE id = ?"));
    q.bind(1, static_cast<int64_t>(id));
    if (!q.executeStep())
        return std::nullopt;
    return readTask(q);
}

std::optional<TaskRecord> ServerStore::taskByApplyNo(const std::string& applyNo) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kTaskColumns, "tasks", "WHERE apply_no = ?"));
    q.bind(1, applyNo);
    if (!q.executeStep())
        return std::nullopt;
    return readTask(q);
}

ServerStore::ApplyNoChange ServerStore::setApplyNo(int64_t taskId, const std::string& applyNo)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement owner(*m_db, "SELECT id FROM tasks WHERE apply_no = ?");
    owner.bind(1, applyNo);
    if (owner.executeStep() && owner.getColumn(0).getInt64() != taskId)
        return ApplyNoChange::Taken;
    SQLite::Statement q(*m_db, "UPDATE tasks SET apply_no = ? WHERE id = ?");
    q.bind(1, applyNo);
    q.bind(2, static_cast<int64_t>(taskId));
    return q.exec() > 0 ? ApplyNoChange::Changed : ApplyNoChange::NoSuchTask;
}

bool ServerStore::setStatus(int64_t taskId, const std::string& status, const std::string& rejectReason,
    const std::string& assessPrice, double stamp, const std::string& dateText)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db,
        "UPDATE tasks SET status = ?, reject_reason = ?, assess_price = ?, update_stamp = ?, update_date = ? "
        "WHERE id = ?");
    q.bind(1, status);
    q.bind(2, rejectReason);
    q.bind(3, assessPrice);
    q.bind(4, stamp);
    q.bind(5, dateText);
    q.bind(6, static_cast<int64_t>(taskId));
    return q.exec() > 0;
}

std::vector<TaskRecord> ServerStore::tasksWithStatus(
    int64_t userId, const std::string& status, double since) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db,
        select(kTaskColumns, "tasks",
            "WHERE user_id = ? AND status = ? AND update_stamp >= ? ORDER BY update_stamp, id"));
    q.bind(1, static_cast<int64_t>(userId));
    q.bind(2, status);
    q.bind(3, since);
    std::vector<TaskRecord> result;
    while (q.executeStep())
        result.push_back(readTask(q));
    return result;
}

std::vector<TaskRecord> ServerStore::allTasks() const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kTaskColumns, "tasks", "ORDER BY id"));
    std::vector<TaskRecord> result;
    while (q.executeStep())
        result.push_back(readTask(q));
    return result;
}

std::optional<FileRecord> ServerStore::file(int64_t taskId, int64_t seq) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db, select(kFileColumns, "files", "WHERE task_id = ? AND seq = ?"));
    q.bind(1, static_cast<int64_t>(taskId));
    q.bind(2, static_cast<int64_t>(seq));
    if (!q.executeStep())
        return std::nullopt;
    return readFile(q);
}

void ServerStore::putFile(const FileRecord& f)
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(*m_db,
        std::string("INSERT OR REPLACE INTO files (") + kFileColumns
            + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.bind(1, static_cast<int64_t>(f.taskId));
    q.bind(2, static_cast<int64_t>(f.seq));
    q.bind(3, f.type);
    q.bind(4, f.fileName);
    q.bind(5, f.storedName);
    q.bind(6, f.thumbName);
    q.bind(7, f.carSource);
    q.bind(8, f.maxSeq);
    q.bind(9, f.picMode);
    q.bind(10, f.optional);
    q.bind(11, f.imgIsOriginal);
    q.bind(12, f.lastModifyTime);
    q.bind(13, f.uploadTime);
    q.bind(14, static_cast<int64_t>(f.size));
    q.exec();
}

std::vector<FileRecord> ServerStore::files(int64_t taskId) const
{
    std::lock_guard lock(m_mutex);
    SQLite::Statement q(
        *m_db, select(kFileColumns, "files", "WHERE task_id = ? ORDER BY type = 'video', seq"));
    q.bind(1, static_cast<int64_t>(taskId));
    std::vector<FileRecord> result;
    while (q.executeStep())
        result.push_back(readFile(q));
    return result;
}

} // namespace server
