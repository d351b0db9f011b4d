#include "examples/components/ImageViewerDemoViewController.h"

#include "components/imageviewer/ImageViewerController.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageDecoding.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

#include <gif_lib.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace examples {

using graphics::Color;
using graphics::Rect;

namespace {

int appendBytes(GifFileType* gif, const GifByteType* data, int count)
{
    auto* out = static_cast<std::string*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), size_t(count));
    return count;
}

// Twelve frames of a dot running round a ring, 8 hundredths of a second each, the first held
// three times as long.
std::string makeSpinnerGif()
{
    constexpr int kSide = 120, kFrames = 12;
    std::string out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    if (!gif)
        return out;
    EGifSetGifVersion(gif, true);
    GifColorType colors[4] = {{20, 24, 32}, {240, 240, 240}, {255, 140, 0}, {70, 80, 100}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifPutScreenDesc(gif, kSide, kSide, 2, 0, map);
    for (int frame = 0; frame < kFrames; ++frame) {
        GraphicsControlBlock gcb {DISPOSE_DO_NOT, false, frame == 0 ? 24 : 8, NO_TRANSPARENT_COLOR};
        GifByteType extension[4];
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&gcb, extension)), extension);
        EGifPutImageDesc(gif, 0, 0, kSide, kSide, false, nullptr);
        double angle = 2 * M_PI * frame / kFrames;
        double dotX = kSide / 2 + 38 * std::sin(angle), dotY = kSide / 2 - 38 * std::cos(angle);
        std::vector<GifPixelType> row(kSide);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                double ring = std::hypot(x - kSide / 2.0, y - kSide / 2.0);
                double dot = std::hypot(x - dotX, y - dotY);
                row[size_t(x)] = dot < 11 ? 2 : (std::abs(ring - 38) < 3 ? 3 : 0);
            }
            EGifPutLine(gif, row.data(), kSide);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

std::string readResource(const std::string& name)
{
    auto bytes = foundation::readFile(foundation::Paths::resource(name));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

} // namespace

// Serves "/photo.jpg" (the second half held back for kDownloadDelay) and "/spinner.gif" on
// 127.0.0.1, on a thread of its own.
class DemoImageServer {
public:
    DemoImageServer()
        : m_photo(readResource("camera/sample-photo-1.jpg"))
        , m_gif(makeSpinnerGif())
    {
        m_server.Get("/photo.jpg", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(
                m_photo.size(), "image/jpeg", [this](size_t offset, size_t, httplib::DataSink& sink) {
                    size_t half = m_photo.size() / 2;
                    if (offset < half)
                        return sink.write(m_photo.data(), half);
                    auto until = std::chrono::steady_clock::now()
                        + std::chrono::milliseconds(
                            int(ImageViewerDemoViewController::kDownloadDelay * 1000));
                    while (!m_stopping && std::chrono::steady_clock::now() < until)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    return sink.write(m_photo.data() + offset, m_photo.size() - offset);
                });
        });
        m_server.Get("/spinner.gif", [this](const httplib::Request&, httplib::Response& response) {
            response.set_content(m_gif, "image/gif");
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        if (m_port > 0)
            m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }

    ~DemoImageServer()
    {
        m_stopping = true;
        m_server.stop();
        if (m_thread.joinable())
            m_thread.join();
    }

    std::string url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

private:
    httplib::Server m_server;
    std::string m_photo;
    std::string m_gif;
    std::thread m_thread;
    std::atomic<bool> m_stopping {false};
    int m_port {0};
};

// The viewers' interactions delegate: copying to the pasteboard is allowed.
class DemoViewerInteractions final : public ImageViewerControllerInteractionsDelegate {
public:
    std::optional<bool> imageViewerAllowCopyToPasteboard(ImageViewerController&) override { return true; }
};

std::shared_ptr<ImageViewerDemoViewController> ImageViewerDemoViewController::create()
{
    return std::make_shared<ImageViewerDemoViewController>();
}

ImageViewerDemoViewController::ImageViewerDemoViewController()
    : m_interactions(std::make_shared<DemoViewerInteractions>())
{ }
ImageViewerDemoViewController::~ImageViewerDemoViewController() = default;

DemoImageServer& ImageViewerDemoViewController::server()
{
    if (!m_server)
        m_server = std::make_unique<DemoImageServer>();
    return *m_server;
}

std::shared_ptr<ui::Button> ImageViewerDemoViewController::addButton(
    const std::string& title, std::function<void()> action)
{
    auto button = ui::Button::create(ui::ButtonType::System);
    button->setTitle(title, ui::ControlState::Normal);
    button->layer().setBorderWidth(0.5);
    button->layer().setBorderColor(Color::rgba(0.8, 0.8, 0.85));
    button->layer().setCornerRadius(6);
    button->addAction(
        ui::ControlEvents::TouchUpInside, [action = std::move(action)](ui::Control&) { action(); });
    view()->addSubview(button);
    m_buttons.push_back(button);
    return button;
}

void ImageViewerDemoViewController::viewDidLoad()
{
    view()->setBackgroundColor(Color::white());
    m_photoThumbnail = ui::ImageView::create();
    m_photoThumbnail->setImage(
        graphics::decodeImageFile(foundation::Paths::resource("camera/sample-photo-3.jpg")));
    m_urlThumbnail = ui::ImageView::create();
    m_urlThumbnail->setBackgroundColor(Color::rgba(0.85, 0.87, 0.9));
    for (const auto& thumbnail : {m_photoThumbnail, m_urlThumbnail}) {
        thumbnail->setContentMode(ui::ContentMode::AspectFill);
        thumbnail->setClipsToBounds(true);
        thumbnail->layer().setCornerRadius(8);
        view()->addSubview(thumbnail);
    }
    m_settings = ui::Label::create();
    m_settings->setFont(graphics::Font::systemFont(13));
    m_settings->setTextColor(Color::white(0.35));
    view()->addSubview(m_settings);

    std::weak_ptr<ImageViewerDemoViewController> weak = sharedAs<ImageViewerDemoViewController>();
    auto run = [weak](auto member) {
        return [weak, member] {
            if (auto self = weak.lock())
                member(*self);
        };
    };
    addButton("Local photo", run([](auto& self) { self.open(Road::LocalPhoto); }));
    addButton("URL image", run([](auto& self) { self.open(Road::UrlPhoto); }));
    addButton("Animated GIF", run([](auto& self) { self.open(Road::AnimatedGif); }));
    addButton("Alt text", run([](auto& self) { self.open(Road::AltText); }));
    addButton("Plain", run([](auto& self) { self.setBackground(0); }));
    addButton("Scaled", run([](auto& self) { self.setBackground(1); }));
    addButton("Blurred", run([](auto& self) { self.setBackground(2); }));
    addButton("Scaled + blurred", run([](auto& self) { self.setBackground(3); }));
    addButton("Grow / offscreen", run([](auto& self) {
        self.m_transition = self.m_transition == 0 ? 1 : 0;
        self.updateSettingsText();
    }));
    updateSettingsText();
}

void ImageViewerDemoViewController::viewDidLayoutSubviews()
{
    Rect bounds = view()->bounds();
    double top = 12, width = bounds.width() - 32, half = (width - 12) / 2;
    double thumbHeight = std::min(110.0, half * 0.75);
    m_photoThumbnail->setFrame({16, top, half, thumbHeight});
    m_urlThumbnail->setFrame({16 + half + 12, top, half, thumbHeight});
    top += thumbHeight + 8;
    m_settings->setFrame({16, top, width, 20});
    top += 28;
    // Two columns of buttons: the roads, then the options.
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        size_t column = i % 2, row = i / 2;
        m_buttons[i]->setFrame({16 + column * (half + 12), top + row * 46.0, half, 38});
    }
}

void ImageViewerDemoViewController::setBackground(int64_t options)
{
    m_background = options;
    updateSettingsText();
}

void ImageViewerDemoViewController::updateSettingsText()
{
    static const char* kNames[] = {"plain", "scaled", "blurred", "scaled + blurred"};
    m_settings->setText(std::string("Background: ") + kNames[m_background & 3]
        + (m_transition == 1 ? " · from offscreen" : " · grow"));
}

void ImageViewerDemoViewController::open(Road road)
{
    auto info = ImageViewerInfo::create();
    info->referenceView = view();
    int64_t mode = ImageViewerController::Image;
    switch (road) {
    case Road::LocalPhoto:
        info->image = m_photoThumbnail->image();
        info->referenceRect = m_photoThumbnail->frame();
        info->referenceContentMode = int64_t(ui::ContentMode::AspectFill);
        info->referenceCornerRadius = 8;
        break;
    case Road::UrlPhoto:
        info->imageURL = server().url("/photo.jpg");
        info->referenceRect = m_urlThumbnail->frame();
        info->referenceCornerRadius = 8;
        break;
    case Road::AnimatedGif:
        info->imageURL = server().url("/spinner.gif");
        info->referenceRect = m_urlThumbnail->frame();
        break;
    case Road::AltText:
        mode = ImageViewerController::AltText;
        info->title = "左前45度";
        info->altText = "The front left corner of the car, seen from 45 degrees.";
        break;
    }
    auto viewer = ImageViewerController::create(info, mode, m_background);
    viewer->setInteractionsDelegate(m_interactions);
    viewer->showFromViewController(sharedAs<ImageViewerDemoViewController>(), m_transition);
}

} // namespace examples
