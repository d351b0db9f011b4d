#include "screens/capture/ShotGridViewController.h"

#include "components/imageviewer/ImageViewerController.h"
#include "components/subtitles/Subtitles.h"
#include "core/net/GetBaseUrlAndPortModel.h"
#include "core/net/UserInfo.h"
#include "core/store/GetCourseArrayModel.h"
#include "core/util/LocalDocumentManager.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/net/UrlJoin.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/CollectionViewFlowLayout.h"
#include "platform/ui/ImageNamed.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Screen.h"
#include "platform/webimage/ImageViewWebCache.h"
#include "screens/capture/PhotoListCollectionReusableView.h"
#include "screens/capture/PhotoListCollectionViewCell.h"

using ShotGridRules::SlotLook;

namespace {

constexpr double kUploadBarHeight = 56;

} // namespace

ShotGridViewController::~ShotGridViewController() = default;

std::string ShotGridViewController::slotLabel(ui::IndexPath indexPath)
{
    return indexPath.section == 0 ? foundation::format("照片%lld", static_cast<long long>(indexPath.item + 1))
                                  : std::string("视频");
}

int ShotGridViewController::listType() const
{
    auto company = UserInfo::sharedInstance()->companyName();
    return planIsServerCode() ? ShotGridRules::listTypeForPlanCode(company, m_applyTaskPhotoType)
                              : ShotGridRules::listTypeForPlan(company, m_applyTaskPhotoType);
}

void ShotGridViewController::viewDidLoad()
{
    MainBaseViewController::viewDidLoad();
    m_recipeImages = foundation::Array {
        foundation::Value(GetCourseArrayModel::getConstantArrayByType(listType())),
        foundation::Value(foundation::Array {foundation::Value("video")}),
    };

    auto root = view();
    auto bounds = root->bounds();
    double gridHeight = bounds.height() - (hasUploadButton() ? kUploadBarHeight : 0);
    m_layout = ui::CollectionViewFlowLayout::create();
    m_layout->setItemSize(PhotoListCollectionViewCell::kSize);
    m_layout->setMinimumInteritemSpacing(10);
    m_layout->setMinimumLineSpacing(10);
    m_layout->setHeaderReferenceSize({bounds.width(), PhotoListCollectionReusableView::kHeaderHeight});
    if (hasFooter())
        m_layout->setFooterReferenceSize({bounds.width(), PhotoListCollectionReusableView::kFooterHeight});
    m_layout->setSectionInset({20, 0, 20, 0});

    m_collectionView = ui::CollectionView::create({0, 0, bounds.width(), gridHeight}, m_layout);
    m_collectionView->setBackgroundColor(graphics::Color::white(0.96));
    m_collectionView->setAutoresizingMask(ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleHeight);
    m_collectionView->registerClassForCellWithReuseIdentifier(
        [](graphics::Rect frame) { return PhotoListCollectionViewCell::create(frame); },
        PhotoListCollectionViewCell::kReuseIdentifier);
    auto makeSupplementary
        = [](graphics::Rect frame) { return PhotoListCollectionReusableView::create(frame); };
    m_collectionView->registerClassForSupplementaryViewOfKind(makeSupplementary,
        ui::kCollectionElementKindSectionHeader, PhotoListCollectionReusableView::kHeaderIdentifier);
    m_collectionView->registerClassForSupplementaryViewOfKind(makeSupplementary,
        ui::kCollectionElementKindSectionFooter, PhotoListCollectionReusableView::kFooterIdentifier);
    auto self = sharedAs<ShotGridViewController>();
    m_collectionView->setDataSource(std::shared_ptr<ui::CollectionViewDataSource>(self));
    m_collectionView->setDelegate(std::shared_ptr<ui::CollectionViewDelegate>(self));
    root->addSubview(m_collectionView);

    std::weak_ptr<ShotGridViewController> weakSelf = self;
    m_longPress = ui::LongPressGestureRecognizer::create([weakSelf](ui::GestureRecognizer& recognizer) {
        if (auto grid = weakSelf.lock())
            grid->handleLongPress(static_cast<ui::LongPressGestureRecognizer&>(recognizer));
    });
    m_collectionView->addGestureRecognizer(m_longPress);

    if (hasUploadButton()) {
        m_uploadButton = ui::Button::create(
            graphics::Rect {16, gridHeight + 6, bounds.width() - 32, kUploadBarHeight - 12});
        m_uploadButton->setTitle(kUploadTitle, ui::ControlState::Normal);
        m_uploadButton->setTitleColor(graphics::Color::white(), ui::ControlState::Normal);
        m_uploadButton->setBackgroundColor(graphics::Color::rgba(0.10, 0.45, 0.85));
        m_uploadButton->layer().setCornerRadius(6);
        m_uploadButton->setAutoresizingMask(
            ui::Autoresizing::FlexibleWidth | ui::Autoresizing::FlexibleTopMargin);
        m_uploadButton->addAction(ui::ControlEvents::TouchUpInside, [weakSelf](ui::Control&) {
            if (auto grid = weakSelf.lock())
                grid->toUploadTask();
        });
        root->addSubview(m_uploadButton);
    }

    navigationItem().setRightBarButtonItem(
        ui::BarButtonItem::create(kHomeTitle, [weakSelf](ui::BarButtonItem&) {
            if (auto grid = weakSelf.lock())
                grid->backToHomeBySlider();
        }));
}

std::shared_ptr<PhotoListCollectionViewCell> ShotGridViewController::cellAt(ui::IndexPath indexPath) const
{
    if (!m_collectionView)
        return nullptr;
    m_collectionView->layoutIfNeeded();
    return std::static_pointer_cast<PhotoListCollectionViewCell>(
        m_collectionView->cellForItemAtIndexPath(indexPath));
}

int64_t ShotGridViewController::numberOfSectionsInCollectionView(ui::CollectionView&)
{
    return int64_t(m_recipeImages.size());
}

int64_t ShotGridViewController::numberOfItemsInSection(ui::CollectionView&, int64_t section)
{
    if (section < 0 || size_t(section) >= m_recipeImages.size() || !m_recipeImages[size_t(section)].isArray())
        return 0;
    return int64_t(m_recipeImages[size_t(section)].asArray().size());
}

std::shared_ptr<ui::CollectionViewCell> ShotGridViewController::cellForItemAtIndexPath(
    ui::CollectionView& collectionView, ui::IndexPath indexPath)
{
    auto cell = std::static_pointer_cast<PhotoListCollectionViewCell>(
        collectionView.dequeueReusableCellWithReuseIdentifier(
            PhotoListCollectionViewCell::kReuseIdentifier, indexPath));
    fillCell(*cell, indexPath);
    std::string caption = ShotGridRules::kVideoCaption;
    if (indexPath.section == 0) {
        const auto& shot = m_recipeImages[0][size_t(indexPath.item)];
        caption = shot.isMap() && shot["title"].isString() ? shot["title"].asString() : std::string();
    }
    cell->photoLabel()->setText(caption);
    cell->setBackgroundView(ui::ImageView::create(ui::imageNamed("photo-frame-2.jpg")));
    // Read out (and found by automation) as the slot and its state: "照片3:已拍摄", "视频:未拍摄".
    cell->setIsAccessibilityElement(true);
    cell->setAccessibilityLabel(slotLabel(indexPath) + ":" + cell->photoStatusLabel()->text());
    return cell;
}

std::shared_ptr<ui::CollectionReusableView> ShotGridViewController::viewForSupplementaryElementOfKind(
    ui::CollectionView& collectionView, ui::ElementKind kind, ui::IndexPath indexPath)
{
    if (kind == ui::kCollectionElementKindSectionHeader) {
        auto header = std::static_pointer_cast<PhotoListCollectionReusableView>(
            collectionView.dequeueReusableSupplementaryViewOfKind(
                kind, PhotoListCollectionReusableView::kHeaderIdentifier, indexPath));
        header->title()->setText(
            indexPath.section == 0 ? ShotGridRules::kPhotoSectionTitle : ShotGridRules::kVideoSectionTitle);
        header->backgroundImage()->setImage(ui::imageNamed("header_banner.jpg"));
        return header;
    }
    if (kind == ui::kCollectionElementKindSectionFooter && hasFooter())
        return collectionView.dequeueReusableSupplementaryViewOfKind(
            kind, PhotoListCollectionReusableView::kFooterIdentifier, indexPath);
    return nullptr;
}

void ShotGridViewController::apply(
    const SlotLook& look, PhotoListCollectionViewCell& cell, const char* folder) const
{
    auto& imageView = *cell.recipeImageView();
    switch (look.thumbnail) {
    case SlotLook::Thumbnail::Unset:
        break;
    case SlotLook::Thumbnail::Resource:
        webimage::cancelImageLoad(imageView);
        imageView.setImage(ui::imageNamed(look.name));
        break;
    case SlotLook::Thumbnail::LocalFile: {
        webimage::cancelImageLoad(imageView);
        // Read from disk each time: the saver may have replaced the file since. The folder is
        // made first when missing.
        std::shared_ptr<graphics::Image> thumbnail;
        if (LocalDocumentManager::userFolder(folder)) {
            if (auto file = LocalDocumentManager::fileInUserFolder(folder, look.name))
                thumbnail = graphics::decodeImageFile(*file);
        }
        imageView.setImage(std::move(thumbnail));
        break;
    }
    case SlotLook::Thumbnail::ServerFile:
        if (auto url = serverUrl(look.name)) {
            webimage::setImageWithURL(imageView, *url);
        } else {
            webimage::cancelImageLoad(imageView);
            imageView.setImage(nullptr);
        }
        break;
    }
    if (look.stateText)
        cell.photoStatusLabel()->setText(*look.stateText);
    if (look.stateColor)
        cell.photoStatusLabel()->setTextColor(*look.stateColor);
}

void ShotGridViewController::didSelectItemAtIndexPath(ui::CollectionView&, ui::IndexPath indexPath)
{
    m_selectIndexPath = indexPath;
    if (!opensCamera())
        return;
    auto picker = makePicker(indexPath);
    m_picker = picker;
    presentViewController(picker, true);
}

std::shared_ptr<ui::ImagePickerController> ShotGridViewController::makePicker(ui::IndexPath indexPath)
{
    using Picker = ui::ImagePickerController;
    auto picker = Picker::create();
    std::weak_ptr<ui::ImagePickerControllerDelegate> delegate
        = std::shared_ptr<ui::ImagePickerControllerDelegate>(sharedAs<ShotGridViewController>());
    picker->setDelegate(delegate);
    picker->setSourceType(Picker::SourceType::Camera);
    if (indexPath.section == 1) {
        picker->setMediaTypes({ui::ImagePickerInfo::kMediaTypeMovie});
        picker->setVideoQuality(Picker::VideoQuality::Type640x480);
        picker->setVideoMaximumDuration(kVideoMaximumDuration);
    } else {
        picker->setVideoQuality(Picker::VideoQuality::High);
    }
    return picker;
}

std::shared_ptr<ui::ImagePickerController> ShotGridViewController::presentedPicker() const
{
    auto picker = m_picker.lock();
    return picker && picker->presentingViewController() ? picker : nullptr;
}

void ShotGridViewController::handleLongPress(ui::LongPressGestureRecognizer& recognizer)
{
    if (recognizer.state() != ui::GestureState::Began || !m_collectionView)
        return;
    auto indexPath
        = m_collectionView->indexPathForItemAtPoint(recognizer.locationInView(m_collectionView.get()));
    if (!indexPath)
        return;
    showShot(shotAt(*indexPath));
}

std::optional<std::string> ShotGridViewController::existingFile(const char* folder, const std::string& name)
{
    // The folder is made first when missing, as the camera's saver expects.
    if (name.empty() || !LocalDocumentManager::userFolder(folder))
        return std::nullopt;
    auto file = LocalDocumentManager::fileInUserFolder(folder, name);
    std::error_code error;
    if (!file || !std::filesystem::is_regular_file(*file, error))
        return std::nullopt;
    return file->string();
}

ShotGridViewController::Shot ShotGridViewController::localPhoto(const std::string& name)
{
    if (name.empty())
        return {};
    auto file = LocalDocumentManager::userFolder(LocalDocumentManager::kPictureFolder)
        ? LocalDocumentManager::fileInUserFolder(LocalDocumentManager::kPictureFolder, name)
        : std::nullopt;
    return {Shot::Kind::LocalPhoto, file ? file->string() : std::string()};
}

ShotGridViewController::Shot ShotGridViewController::localVideo(const std::string& name)
{
    if (name.empty() || !LocalDocumentManager::userFolder(LocalDocumentManager::kVideoFolder))
        return {};
    auto file = LocalDocumentManager::fileInUserFolder(LocalDocumentManager::kVideoFolder, name);
    if (!file)
        return {};
    // Whatever is in the file's place goes to the player, which opens nothing but a regular file and
    // shows its own failure, as for a file that is gone.
    return {Shot::Kind::Video, file->string()};
}

std::optional<std::string> ShotGridViewController::serverUrl(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    return net::joinServerPath(GetBaseUrlAndPortModel::getBaseImageUrlModel(), path);
}

void ShotGridViewController::showShot(const Shot& shot)
{
    switch (shot.kind) {
    case Shot::Kind::None:
        break;
    case Shot::Kind::LocalPhoto: {
        // Decoded for the screen: the full photo is far larger than the viewer can show.
        auto& screen = ui::Screen::mainScreen();
        std::string error = "the name leads out of the user's folder";
        auto bytes = shot.location.empty() ? std::nullopt : graphics::readImageFile(shot.location, &error);
        auto photo = bytes
            ? graphics::decodeImageForScreen(*bytes, int(screen.bounds().width() * screen.scale()),
                int(screen.bounds().height() * screen.scale()), &error)
            : nullptr;
        // A missing or unreadable file gives the viewer no image; it opens all the same.
        if (!photo)
            foundation::logf("Cannot show the photo: %s", error.c_str());
        showPhoto(std::move(photo));
        break;
    }
    case Shot::Kind::ServerPhoto: {
        m_showImgView = ui::ImageView::create();
        std::weak_ptr<ShotGridViewController> weakSelf = sharedAs<ShotGridViewController>();
        bool finished = grid() == Grid::Finished;
        webimage::setImageWithURL(*m_showImgView, shot.location, ui::imageNamed("no_pic_default"),
            [weakSelf, finished](std::shared_ptr<graphics::Image>, std::string, std::string) {
                foundation::log("图片加载完成后做的事情");
                if (finished)
                    foundation::log("这里可以在图片加载完成之后做些事情");
                // The loaded photo, or the placeholder when loading failed.
                if (auto self = weakSelf.lock())
                    self->showPhoto(self->m_showImgView->image());
            });
        break;
    }
    case Shot::Kind::Video:
        playVideo(shot.location);
        break;
    }
}

void ShotGridViewController::showPhoto(std::shared_ptr<graphics::Image> photo)
{
    // The photo grows out of the whole grid area, not out of the pressed cell.
    auto info = ImageViewerInfo::create();
    info->image = std::move(photo);
    info->referenceRect = m_collectionView->frame();
    info->referenceView = m_collectionView->superview();
    info->referenceContentMode = int64_t(m_collectionView->contentMode());
    info->referenceCornerRadius = m_collectionView->layer().cornerRadius();
    auto viewer = ImageViewerController::create(
        std::move(info), ImageViewerController::Image, ImageViewerController::Scaled);
    viewer->showFromViewController(
        sharedAs<ShotGridViewController>(), ImageViewerController::FromOriginalPosition);
}

void ShotGridViewController::playVideo(const std::string& url)
{
    Subtitles::presentMovie(
        sharedAs<ShotGridViewController>(), url, foundation::Paths::resource("example.srt"));
}

void ShotGridViewController::popOneScreen()
{
    if (auto navigation = navigationController())
        navigation->popViewController(false);
}

void ShotGridViewController::backToHome()
{
    popOneScreen();
}

void ShotGridViewController::backToHomeBySlider()
{
    foundation::NotificationCenter::defaultCenter().post(kNavToHomeSlidingNotification);
}
