#include "platform/host/WindowHost.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "platform/host/App.h"
#include "platform/host/Automation.h"
#include "platform/host/Host.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

namespace host {

struct WindowHost::Sdl {
    SDL_Window* window {nullptr};
    SDL_Renderer* renderer {nullptr};
    SDL_Texture* texture {nullptr};
    double windowScale {1};
};

namespace {

// Lines read from stdin by a reader thread, handed to the main thread.
class LineQueue {
public:
    void push(std::string line)
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
    }
    void close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    std::optional<std::string> pop()
    {
        std::lock_guard lock(m_mutex);
        if (m_lines.empty())
            return std::nullopt;
        std::string line = std::move(m_lines.front());
        m_lines.pop_front();
        return line;
    }
    bool closedAndEmpty()
    {
        std::lock_guard lock(m_mutex);
        return m_closed && m_lines.empty();
    }

private:
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    bool m_closed {false};
};

} // namespace

WindowHost::WindowHost(HostOptions options)
    : m_options(std::move(options))
{ }

WindowHost::~WindowHost()
{
    if (!m_sdl)
        return;
    if (m_sdl->texture)
        SDL_DestroyTexture(m_sdl->texture);
    if (m_sdl->renderer)
        SDL_DestroyRenderer(m_sdl->renderer);
    if (m_sdl->window)
        SDL_DestroyWindow(m_sdl->window);
    delete m_sdl;
    // All of SDL: its D-Bus and X connections go only with a full quit.
    SDL_Quit();
}

bool WindowHost::open(std::string* error)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error)
            *error = SDL_GetError();
        return false;
    }
    m_sdl = new Sdl;
    if (m_options.tablet)
        ui::Screen::mainScreen().useTabletProfile();
    graphics::Size points = ui::Screen::mainScreen().bounds().size;
    double scale = ui::Screen::mainScreen().scale();
    double windowScale = m_options.windowScale;
    if (windowScale <= 0) {
        // The screen's scale when the window fits on the display, else one pixel per point.
        SDL_Rect usable;
        windowScale = scale;
        if (SDL_GetDisplayUsableBounds(0, &usable) == 0
            && (points.width * scale > usable.w || points.height * scale > usable.h))
            windowScale = 1;
    }
    m_sdl->windowScale = windowScale;
    int width = int(std::lround(points.width * windowScale));
    int height = int(std::lround(points.height * windowScale));
    m_sdl->window
        = SDL_CreateWindow("Mivo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    if (m_sdl->window)
        m_sdl->renderer = SDL_CreateRenderer(m_sdl->window, -1, 0);
    if (m_sdl->renderer) {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        m_sdl->texture
            = SDL_CreateTexture(m_sdl->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                int(std::lround(points.width * scale)), int(std::lround(points.height * scale)));
    }
    if (!m_sdl->texture) {
        if (error)
            *error = SDL_GetError();
        return false;
    }
    mirrorPasteboardToDesktop();
    return true;
}

// SDL 2 carries only text to the desktop's clipboard: a copied text goes as it is, a copied image
// as the address of a PNG file written for it, which file managers and most editors paste.
void WindowHost::mirrorPasteboardToDesktop()
{
    ui::Pasteboard::generalPasteboard().setDesktopMirror([](const ui::Pasteboard& board) {
        if (auto text = board.string()) {
            SDL_SetClipboardText(text->c_str());
            return;
        }
        auto image = board.image();
        if (!image)
            return;
        auto file = foundation::Paths::temporary() / "mivo-pasteboard.png";
        auto png = graphics::PngCodec::encode(*image);
        if (png
            && foundation::writeFileAtomically(
                file, std::string_view(reinterpret_cast<const char*>(png->data()), png->size())))
            SDL_SetClipboardText(("file://" + file.string()).c_str());
    });
}

// Turns the window and its texture with the picture it shows.
bool WindowHost::fitTo(const graphics::Image& picture)
{
    int width = 0, height = 0;
    SDL_QueryTexture(m_sdl->texture, nullptr, nullptr, &width, &height);
    if (width == picture.pixelWidth() && height == picture.pixelHeight())
        return true;
    SDL_DestroyTexture(m_sdl->texture);
    m_sdl->texture = SDL_CreateTexture(m_sdl->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
        picture.pixelWidth(), picture.pixelHeight());
    double scale = m_sdl->windowScale / picture.scale();
    SDL_SetWindowSize(m_sdl->window, int(std::lround(picture.pixelWidth() * scale)),
        int(std::lround(picture.pixelHeight() * scale)));
    return m_sdl->texture != nullptr;
}

int WindowHost::run(App& app)
{
    auto& loop = foundation::RunLoop::main();
    loop.setClock(std::make_shared<foundation::RealClock>());
    SDL_SetWindowTitle(m_sdl->window, app.name().c_str());
    auto window = launch(app, m_options);
    auto& application = ui::Application::shared();

    // Shared with the reader: it is detached, blocked on stdin, and may push after we return.
    auto lines = std::make_shared<LineQueue>();
    if (m_options.automation) {
        std::thread([lines] {
            std::string line;
            while (std::getline(std::cin, line))
                lines->push(line);
            lines->close();
        }).detach();
    }
    Automation automation("window");
    render::Renderer renderer;
    std::shared_ptr<graphics::Image> frame;
    // The window shows the screen as its user sees it, upright as a screenshot: a turned
    // interface turns the window (before 8.0 the screen's own pixels stay portrait).
    auto picture = [&] {
        if (application.interfaceOrientationInScreen() != ui::InterfaceOrientation::Portrait)
            return renderer.renderScreenAsSeen();
        graphics::Size screen = ui::Screen::mainScreen().bounds().size;
        int width = int(std::lround(screen.width * renderer.scale()));
        int height = int(std::lround(screen.height * renderer.scale()));
        if (!frame || frame->pixelWidth() != width || frame->pixelHeight() != height)
            frame = graphics::Image::create(width, height, renderer.scale());
        renderer.renderScreen(*frame);
        return frame;
    };
    std::shared_ptr<ui::Touch> touch;
    auto toPoints = [&](int x, int y) {
        graphics::Point seen {x / m_sdl->windowScale, y / m_sdl->windowScale};
        return application.screenToInterface().inverted().apply(seen);
    };
    uint64_t presentedGeneration = ~uint64_t(0);
    int presentedFrames = 0;
    bool quit = false;
    bool commands = m_options.automation || m_options.script;
    std::optional<double> quitAt;
    if (m_options.runFor > 0 && !commands)
        quitAt = loop.now() + m_options.runFor;
    SDL_StartTextInput();

    while (!quit) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT:
                quit = true;
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT && !touch)
                    touch = application.touchDown(toPoints(event.button.x, event.button.y));
                break;
            case SDL_MOUSEMOTION:
                if (touch)
                    application.touchMoved(touch, toPoints(event.motion.x, event.motion.y));
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && touch) {
                    application.touchUp(touch, toPoints(event.button.x, event.button.y));
                    touch.reset();
                }
                break;
            case SDL_TEXTINPUT:
                if (auto responder = ui::Responder::firstResponder())
                    responder->insertText(event.text.text);
                break;
            case SDL_KEYDOWN:
                if (auto responder = ui::Responder::firstResponder()) {
                    SDL_Keycode key = event.key.keysym.sym;
                    if (key == SDLK_BACKSPACE)
                        responder->deleteBackward();
                    else if (key == SDLK_RETURN || key == SDLK_KP_ENTER)
                        responder->returnKey();
                }
                break;
            default:
                break;
            }
        }
        while (!quit) {
            auto line = lines->pop();
            if (!line)
                break;
            if (line->find_first_not_of(" \t\r") == std::string::npos)
                continue;
            std::cout << automation.handle(*line) << std::endl;
            quit = automation.quitRequested();
        }
        if (m_options.automation && lines->closedAndEmpty())
            quit = true;

        loop.runOnce();
        application.layoutWindows();
        if (ui::View::displayGeneration() != presentedGeneration) {
            presentedGeneration = ui::View::displayGeneration();
            auto shown = picture();
            if (fitTo(*shown)) {
                SDL_UpdateTexture(m_sdl->texture, nullptr, shown->data(), shown->stride());
                SDL_RenderClear(m_sdl->renderer);
                SDL_RenderCopy(m_sdl->renderer, m_sdl->texture, nullptr, nullptr);
                SDL_RenderPresent(m_sdl->renderer);
            }
            if (m_options.frames > 0 && ++presentedFrames >= m_options.frames)
                quit = true;
        }
        if (quitAt && loop.now() >= *quitAt)
            quit = true;
        if (!quit) {
            double wait = foundation::RunLoop::kFrameInterval;
            if (quitAt)
                wait = std::clamp(*quitAt - loop.now(), 0.0, wait);
            loop.waitForNextEvent(wait);
        }
    }
    SDL_StopTextInput();
    int status = 0;
    if (m_options.screenshot && !commands) {
        std::string answer = automation.handle(foundation::Value(
            foundation::Map {{"cmd", "screenshot"}, {"path", m_options.screenshot->string()}})
                                                   .toJson());
        std::cout << answer << '\n';
        status = answer.find("\"ok\":true") == std::string::npos ? 1 : 0;
    }
    window.reset();
    return status;
}

} // namespace host
