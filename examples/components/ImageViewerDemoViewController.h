#pragma once

#include "platform/ui/ViewController.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ui {
class Button;
class ImageView;
class Label;
} // namespace ui

namespace examples {

class DemoImageServer;
class DemoViewerInteractions;

// The image viewer's demo: a local photo grown out of its thumbnail, a photo downloaded from a
// small server on 127.0.0.1 that answers slowly, an animated GIF from the same server, the alt
// text, each background option and both transitions. Its viewers offer to copy the image on a
// long press.
class ImageViewerDemoViewController final : public ui::ViewController {
public:
    static std::shared_ptr<ImageViewerDemoViewController> create();
    ImageViewerDemoViewController();
    ~ImageViewerDemoViewController() override;

    const char* className() const override { return "ImageViewerDemoViewController"; }
    void viewDidLoad() override;
    void viewDidLayoutSubviews() override;

    // How long the server holds back the second half of the photo.
    static constexpr double kDownloadDelay = 1.5;

private:
    enum class Road { LocalPhoto, UrlPhoto, AnimatedGif, AltText };
    void open(Road road);
    void setBackground(int64_t options);
    void updateSettingsText();
    std::shared_ptr<ui::Button> addButton(const std::string& title, std::function<void()> action);
    DemoImageServer& server();

    std::shared_ptr<ui::ImageView> m_photoThumbnail;
    std::shared_ptr<ui::ImageView> m_urlThumbnail;
    std::shared_ptr<ui::Label> m_settings;
    std::vector<std::shared_ptr<ui::Button>> m_buttons;
    std::unique_ptr<DemoImageServer> m_server;
    std::shared_ptr<DemoViewerInteractions> m_interactions;
    int64_t m_background {1};
    int64_t m_transition {0};
};

} // namespace examples
