// The upload screen's table and the path by which a file's progress reaches its row.
#include "screens/capture/UploadTaskViewController.h"

#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Format.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/ProgressView.h"
#include "screens/capture/UploadTaskTableViewCell.h"

#include <charconv>
#include <cstdlib>

using foundation::Map;
using foundation::Value;

namespace {

constexpr const char* kVideoTitle = "视频资源信息";

// The shot list's index of a record: its 1-based position read as an integer, minus 1; -1 when
// the position is not a number.
long long shotIndexOf(const MivoUploadTask& record)
{
    std::string position = record.taskPosition();
    long long value = 0;
    auto [end, error] = std::from_chars(position.data(), position.data() + position.size(), value);
    return error == std::errc() ? value - 1 : -1;
}

} // namespace

// ---- Progress

void UploadTaskViewController::progressed(const std::string& tag, float fraction)
{
    updateTasksLocalDataWithInfo(Map {{"url", ""}, {"identify", tag},
        {"progress", foundation::format("%f", static_cast<double>(fraction))}});
}

void UploadTaskViewController::updateTasksLocalDataWithInfo(const Map& info)
{
    std::string identify = info.count("identify") ? info.at("identify").asString() : std::string();
    std::string progressText = info.count("progress") ? info.at("progress").asString() : std::string();
    float progress = std::strtof(progressText.c_str(), nullptr);
    std::weak_ptr<UploadTaskViewController> weakSelf = sharedAs<UploadTaskViewController>();
    // A queue of its own per update, which only hands the value on to the main queue. Released on
    // return, it still runs the block, on the shared pool, and the main thread never waits for it.
    auto queue = foundation::DispatchQueue::createSerial("com.brevane-savephotoes");
    queue->async([weakSelf, identify, progress] {
        foundation::DispatchQueue::main().async([weakSelf, identify, progress] {
            if (auto self = weakSelf.lock())
                self->showProgress(identify, progress);
        });
    });
}

void UploadTaskViewController::showProgress(const std::string& identify, float progress)
{
    auto table = selfTableView();
    if (!table)
        return;
    // The row that shows this file now, wherever earlier rows have gone.
    auto record = recordOf(identify);
    // Each step comes through a queue of its own, and queues run side by side, so an earlier step
    // may arrive after a later one: a file's bar never goes back.
    auto kept = m_progressInFlight.find(identify);
    if (!record || (kept != m_progressInFlight.end() && progress < kept->second))
        return;
    m_progressInFlight[identify] = progress;
    for (size_t row = 0; row < m_toUploadData.size(); ++row) {
        if (m_toUploadData[row] != record)
            continue;
        auto cell = std::dynamic_pointer_cast<UploadTaskTableViewCell>(
            table->cellForRowAtIndexPath(ui::IndexPath::forRow(static_cast<int64_t>(row), 0)));
        if (cell && cell->progressview())
            cell->progressview()->setProgress(progress, false);
        return;
    }
}

void UploadTaskViewController::dismissViewBtnClick()
{
    dismissViewController(true, [] {});
}

// ---- Table

size_t UploadTaskViewController::numberOfSectionsInTableView(ui::TableView&)
{
    if (m_toUploadData.empty())
        return 1;
    return m_uploadedData.empty() ? 1 : 2;
}

size_t UploadTaskViewController::numberOfRowsInSection(ui::TableView&, size_t section)
{
    return section == 0 ? m_toUploadData.size() : m_uploadedData.size();
}

std::optional<std::string> UploadTaskViewController::titleForHeaderInSection(ui::TableView&, size_t section)
{
    if (section == 0)
        return foundation::format(
            "%s%lu%s", "正在上传任务(", static_cast<unsigned long>(m_toUploadData.size()), ")");
    return foundation::format(
        "%s%lu%s", "已经上传完成的传任务(", static_cast<unsigned long>(m_uploadedData.size()), ")");
}

std::optional<double> UploadTaskViewController::heightForHeaderInSection(ui::TableView&, size_t)
{
    return kHeaderHeight;
}

std::shared_ptr<ui::TableViewCell> UploadTaskViewController::cellForRowAtIndexPath(
    ui::TableView&, ui::IndexPath indexPath)
{
    const auto& list = indexPath.section == 0 ? m_toUploadData : m_uploadedData;
    if (indexPath.row() < 0 || static_cast<size_t>(indexPath.row()) >= list.size())
        return nullptr;
    const auto& record = list[static_cast<size_t>(indexPath.row())];
    // Cells are not reused: each row gets a fresh one, as from its nib.
    auto cell = UploadTaskTableViewCell::loadFromNib();
    m_cellMain = cell;

    const foundation::Array* shots
        = !m_recipeImages.empty() && m_recipeImages[0].isArray() ? &m_recipeImages[0].asArray() : nullptr;
    long long index = shotIndexOf(*record);
    bool photo = shots && index >= 0 && index < static_cast<long long>(shots->size());
    const Value& title = photo ? (*shots)[static_cast<size_t>(index)]["title"] : Value();
    cell->dealPrice()->setText(photo ? (title.isString() ? title.asString() : std::string()) : kVideoTitle);
    const char* folder = photo ? LocalDocumentManager::kPictureFolder : LocalDocumentManager::kVideoFolder;
    if (LocalDocumentManager::userFolder(folder) && !record->screenshotName().empty()) {
        auto file = LocalDocumentManager::fileInUserFolder(folder, record->screenshotName());
        if (file)
            cell->taskImage()->setImage(graphics::decodeImageFile(*file));
    }
    cell->applyNOLabel()->setText(m_applyTaskNO);
    if (indexPath.section == 1 && photo)
        cell->progressview()->setProgress(1.0f);
    // A row made again (a reload, a scroll) shows how far its file has gone, not an empty bar.
    if (auto progress = indexPath.section == 0 ? progressOf(record) : std::nullopt)
        cell->progressview()->setProgress(*progress);
    return cell;
}
