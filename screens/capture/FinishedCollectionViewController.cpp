#include "screens/capture/FinishedCollectionViewController.h"

#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/net/UrlJoin.h"
#include "platform/ui/BarButtonItem.h"

#include <algorithm>

namespace {

// What a record without a server path asks for: the media address itself, which is neither a
// photo (the viewer shows the placeholder) nor a movie (the player shows its failure).
std::optional<std::string> bareMediaUrl()
{
    auto base = GetBaseUrlAndPortModel::getBaseImageUrlModel();
    if (!net::joinServerPath(base, "/"))
        return std::nullopt;
    return base;
}

} // namespace

void FinishedCollectionViewController::viewDidLoad()
{
    ShotGridViewController::viewDidLoad();
    std::weak_ptr<FinishedCollectionViewController> weakSelf = sharedAs<FinishedCollectionViewController>();
    navigationItem().setLeftBarButtonItem(
        ui::BarButtonItem::create(kBackTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto self = weakSelf.lock())
                self->backToHome();
        }));
}

void FinishedCollectionViewController::fillCell(PhotoListCollectionViewCell& cell, ui::IndexPath indexPath)
{
    if (indexPath.section == 0)
        apply(ShotGridRules::finishedPhoto(m_allMivoUploads, indexPath.item), cell,
            LocalDocumentManager::kPictureFolder);
    else
        apply(ShotGridRules::finishedVideo(), cell, LocalDocumentManager::kVideoFolder);
}

ShotGridViewController::Shot FinishedCollectionViewController::shotAt(ui::IndexPath indexPath) const
{
    std::shared_ptr<MivoUploadTask> record;
    if (indexPath.section == 0) {
        if (indexPath.item >= 0 && size_t(indexPath.item) < m_allMivoUploads.size())
            record = m_allMivoUploads[size_t(indexPath.item)];
    } else {
        // The video comes last; a task without one has no video to stream.
        auto video = std::find_if(m_allMivoUploads.rbegin(), m_allMivoUploads.rend(),
            [](const auto& upload) { return upload->resourceType() == "video"; });
        if (video != m_allMivoUploads.rend())
            record = *video;
    }
    if (!record)
        return {};
    auto url = record->fileUrl().empty() ? bareMediaUrl() : serverUrl(record->fileUrl());
    if (!url)
        return {};
    return {indexPath.section == 0 ? Shot::Kind::ServerPhoto : Shot::Kind::Video, *url};
}
