#include "platform/webimage/ImageViewWebCache.h"

#include "platform/webimage/WebImageManager.h"

namespace webimage {

namespace {

// What the view keeps of its running load; letting go of it cancels the load.
struct ViewLoad {
    std::shared_ptr<WebImageOperation> operation;
    ~ViewLoad()
    {
        if (operation)
            operation->cancel();
    }
};

} // namespace

void setImageWithURL(ui::ImageView& view, const std::string& url)
{
    setImageWithURL(view, url, nullptr, {});
}

void setImageWithURL(
    ui::ImageView& view, const std::string& url, std::shared_ptr<graphics::Image> placeholder)
{
    setImageWithURL(view, url, std::move(placeholder), {});
}

void setImageWithURL(ui::ImageView& view, const std::string& url,
    std::shared_ptr<graphics::Image> placeholder, Completion completion)
{
    cancelImageLoad(view);
    view.setImage(std::move(placeholder));
    auto load = std::make_shared<ViewLoad>();
    view.setPendingLoad(load);
    // The raw view pointer is safe: the view owns the load, and a cancelled load calls nothing.
    ui::ImageView* target = &view;
    auto operation = WebImageManager::shared().loadImage(url,
        [target, completion = std::move(completion)](
            std::shared_ptr<graphics::Image> image, std::string error, CacheType, std::string url) {
            if (image)
                target->setImage(image);
            target->setPendingLoad(nullptr);
            if (completion)
                completion(std::move(image), std::move(error), std::move(url));
        });
    // A memory hit has finished already (and cleared the view's load).
    if (!operation->isFinished())
        load->operation = std::move(operation);
}

void cancelImageLoad(ui::ImageView& view)
{
    view.setPendingLoad(nullptr);
}

} // namespace webimage
