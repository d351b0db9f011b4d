#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace SQLite {
class Database;
}

namespace server {

struct UserRecord {
    int64_t id = 0;
    std::string loginName;
    std::string password;
    std::string name;
    std::string companyName;
    std::string orderPrefix;
    std::string logoUrl;
    std::string photoPlan;
    std::string simid;
};

// Server-side task states; only "FINISHED" and "REJECTED" reach the app, through the two lists.
inline constexpr const char* kStatusSubmitted = "SUBMITTED";
inline constexpr const char* kStatusFinished = "FINISHED";
inline constexpr const char* kStatusRejected = "REJECTED";

struct TaskRecord {
    int64_t id = 0;
    int64_t userId = 0;
    std::string applyNo;
    std::string stockArea;
    std::string undertakeCompany;
    std::string secondhandPrice;
    std::string carSource;
    std::string regDate;
    std::string loanType;
    std::string status = kStatusSubmitted;
    std::string rejectReason;
    std::string assessPrice;
    std::string createTime;
    std::string updateDate;
    double updateStamp = 0; // seconds since 1970 of the last status change
};

struct FileRecord {
    int64_t taskId = 0;
    int64_t seq = 0;
    std::string type; // "image" or "video"
    std::string fileName; // as the client named it
    std::string storedName; // under media/<taskId>/
    std::string thumbName; // under media/<taskId>/thumbs/
    std::string carSource;
    std::string maxSeq;
    std::string picMode;
    std::string optional;
    std::string imgIsOriginal;
    std::string lastModifyTime;
    std::string uploadTime;
    int64_t size = 0;
};

// The server's users, tasks and files in one SQLite file. Thread-safe: the HTTP workers share it.
class ServerStore {
public:
    explicit ServerStore(const std::filesystem::path& databaseFile);
    ~ServerStore();
    ServerStore(const ServerStore&) = delete;
    ServerStore& operator=(const ServerStore&) = delete;

    // The three brands' users, added when the store has no user yet.
    void seedDefaultUsers();

    std::optional<UserRecord> userByLogin(const std::string& loginName) const;
    std::optional<UserRecord> userById(int64_t id) const;
    // nullopt when the login name is taken.
    std::optional<int64_t> addUser(const UserRecord& user);
    bool setSimid(const std::string& loginName, const std::string& simid);
    bool setPassword(const std::string& loginName, const std::string& password);

    bool applyNoExists(const std::string& applyNo) const;
    // nullopt when the application number is taken.
    std::optional<int64_t> addTask(const TaskRecord& task);
    std::optional<TaskRecord> task(int64_t id) const;
    std::optional<TaskRecord> taskByApplyNo(const std::string& applyNo) const;
    enum class ApplyNoChange { Changed, NoSuchTask, Taken };
    ApplyNoChange setApplyNo(int64_t taskId, const std::string& applyNo);
    bool setStatus(int64_t taskId, const std::string& status, const std::string& rejectReason,
        const std::string& assessPrice, double stamp, const std::string& dateText);
    // Tasks of a user in one state whose last change is at or after `since`, oldest change first.
    std::vector<TaskRecord> tasksWithStatus(int64_t userId, const std::string& status, double since) const;
    std::vector<TaskRecord> allTasks() const;

    std::optional<FileRecord> file(int64_t taskId, int64_t seq) const;
    // Inserts or replaces the file of that task and position.
    void putFile(const FileRecord& file);
    std::vector<FileRecord> files(int64_t taskId) const;

private:
    mutable std::mutex m_mutex;
    std::unique_ptr<SQLite::Database> m_db;
};

} // namespace server
