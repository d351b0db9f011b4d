#include "platform/host/Automation.h"

#include "platform/foundation/Clock.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Format.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PngCodec.h"
#include "platform/render/Renderer.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/Application.h"
#include "platform/ui/Device.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Responder.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

namespace host {

using foundation::Array;
using foundation::Map;
using foundation::Value;
using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kVisibleAlpha = 0.01;

Value ok(Map extra = {})
{
    extra["ok"] = true;
    return extra;
}

Value failure(std::string error)
{
    Map answer;
    answer["ok"] = false;
    answer["error"] = std::move(error);
    return answer;
}

bool isNumber(const Value& v)
{
    return v.type() == Value::Type::Int || v.type() == Value::Type::Double;
}

std::optional<Point> pointValue(const Value& v)
{
    if (v.type() != Value::Type::Array || v.asArray().size() != 2 || !isNumber(v[size_t(0)])
        || !isNumber(v[1]))
        return std::nullopt;
    return Point {v[size_t(0)].asDouble(), v[1].asDouble()};
}

// Longer gestures would only hang the host: runFor steps through every frame of them.
constexpr double kMaxGestureSeconds = 600;
constexpr double kMaxBackspaces = 10000;

// A number field from 0 to `limit`, or `fallback` when absent; nullopt when present but not valid.
std::optional<double> seconds(const Value& command, const char* key, double fallback, double limit)
{
    if (!command.contains(key))
        return fallback;
    const Value& v = command[key];
    if (!isNumber(v) || !(v.asDouble() >= 0) || !(v.asDouble() <= limit))
        return std::nullopt;
    return v.asDouble();
}

// Rounded to 1/100 point, and whole numbers written without a fraction, so dumps stay readable.
Value tidy(double v)
{
    double rounded = std::round(v * 100) / 100;
    if (rounded == std::floor(rounded) && std::abs(rounded) < 1e15)
        return int64_t(rounded);
    return rounded;
}

Array rectArray(const Rect& r)
{
    return {tidy(r.minX()), tidy(r.minY()), tidy(r.width()), tidy(r.height())};
}

// Every view of every window in painter order, with whether it can be seen.
template<class F> void forEachView(const ui::View& view, bool parentVisible, F&& visit)
{
    bool visible = parentVisible && !view.isHidden() && view.layer().presentation().opacity >= kVisibleAlpha;
    visit(view, visible);
    for (auto& subview : view.subviews())
        forEachView(*subview, visible, visit);
}

// Commands speak of the screen as its user sees it (and a screenshot saves it): the interface's
// upright coordinates. Before system 8.0 the screen's own stay portrait while the interface is
// turned, so frames go out and points come in through the turn.
Rect seen(const Rect& screenRect)
{
    return ui::Application::shared().screenToInterface().apply(screenRect);
}

Point onScreen(Point seenPoint)
{
    return ui::Application::shared().screenToInterface().inverted().apply(seenPoint);
}

// Where the view is on screen right now: its presentation bounds mapped up to the window.
Rect presentationScreenFrame(const ui::View& view)
{
    Rect rect = view.layer().presentation().bounds;
    for (const ui::View* v = &view; v && v->superview(); v = v->superview().get())
        rect = v->layer().presentation().toSuperviewTransform().apply(rect);
    return seen(rect);
}

// The view a touch at `seenPoint` lands on, found as the touch dispatcher finds it.
std::shared_ptr<ui::View> hitView(Point seenPoint)
{
    Point screenPoint = onScreen(seenPoint);
    auto windows = ui::Application::shared().windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if ((*it)->isHidden())
            continue;
        Point local = (*it)->layer().modelState().fromSuperview(screenPoint);
        if (auto hit = (*it)->hitTest(local, nullptr))
            return hit;
    }
    return nullptr;
}

// "Label "行 3"": the class and what the view shows, for error messages.
std::string describe(const ui::View& view)
{
    std::string text = view.automationText();
    if (text.empty())
        text = view.accessibilityLabel();
    return text.empty() ? std::string(view.className()) : std::string(view.className()) + " \"" + text + "\"";
}

Value node(const ui::View& view)
{
    Map n;
    n["class"] = view.className();
    Rect frame = Automation::screenFrame(view);
    n["frame"] = Array {tidy(frame.minX()), tidy(frame.minY()), tidy(frame.width()), tidy(frame.height())};
    // Mid-animation the screen shows something else than the model: say where.
    Rect shown = presentationScreenFrame(view);
    if (std::abs(shown.minX() - frame.minX()) > 0.01 || std::abs(shown.minY() - frame.minY()) > 0.01
        || std::abs(shown.width() - frame.width()) > 0.01 || std::abs(shown.height() - frame.height()) > 0.01)
        n["presentationFrame"] = rectArray(shown);
    if (auto text = view.automationText(); !text.empty())
        n["text"] = text;
    if (!view.accessibilityLabel().empty())
        n["label"] = view.accessibilityLabel();
    if (!view.accessibilityHint().empty())
        n["hint"] = view.accessibilityHint();
    if (auto traits = ui::accessibilityTraitNames(view.accessibilityTraits()); !traits.empty()) {
        Array names;
        for (auto& trait : traits)
            names.push_back(trait);
        n["traits"] = std::move(names);
    }
    if (auto* field = dynamic_cast<const ui::TextField*>(&view)) {
        n["keyboard"] = ui::Keyboard::typeName(field->keyboardType());
        if (field->isSecureTextEntry())
            n["secure"] = true;
    }
    n["hidden"] = view.isHidden();
    n["alpha"] = tidy(view.alpha());
    if (view.tag() != 0)
        n["tag"] = view.tag();
    Array children;
    for (auto& subview : view.subviews())
        children.push_back(node(*subview));
    for (auto& element : view.automationElements()) {
        Map child {{"class", element.className},
            {"frame", rectArray(seen(view.convertRectToView(element.frame, nullptr)))}, {"hidden", false}};
        if (!element.text.empty())
            child["text"] = element.text;
        children.push_back(std::move(child));
    }
    if (!children.empty())
        n["children"] = std::move(children);
    return n;
}

} // namespace

Automation::Automation(std::string hostKind)
    : m_hostKind(std::move(hostKind))
{ }

std::string Automation::handle(std::string_view line)
{
    std::string error;
    auto command = Value::fromJson(line, &error);
    Value answer;
    if (!command)
        answer = failure("malformed command: " + (error.empty() ? std::string("not JSON") : error));
    else if (command->type() != Value::Type::Map)
        answer = failure("malformed command: expected a JSON object");
    else if (!(*command)["cmd"].isString())
        answer = failure("malformed command: \"cmd\" must be a string");
    else
        answer = run(*command);
    return answer.toJson();
}

Value Automation::run(const Value& command)
{
    const std::string& name = command["cmd"].asString();
    if (name == "tap")
        return tap(command);
    if (name == "longpress")
        return longPress(command);
    if (name == "drag")
        return drag(command);
    if (name == "pinch")
        return pinch(command);
    if (name == "doubletap")
        return doubleTap(command);
    if (name == "type")
        return type(command);
    if (name == "backspace")
        return backspace(command);
    if (name == "return")
        return returnKey();
    if (name == "advance")
        return advance(command);
    if (name == "wait")
        return wait(command);
    if (name == "screenshot")
        return screenshot(command);
    if (name == "tree")
        return ok({{"tree", tree()}});
    if (name == "find")
        return find(command);
    if (name == "accessibility")
        return accessibility();
    if (name == "pasteboard")
        return pasteboard();
    if (name == "info") {
        auto& loop = foundation::RunLoop::main();
        Rect screen = seen(ui::Screen::mainScreen().bounds());
        return ok(
            {{"host", m_hostKind}, {"clock", loop.clock() && loop.clock()->isManual() ? "manual" : "real"},
                {"screen", Array {tidy(screen.width()), tidy(screen.height())}},
                {"scale", tidy(ui::Screen::mainScreen().scale())}});
    }
    if (name == "rotate")
        return rotate(command);
    if (name == "tilt")
        return tilt(command);
    if (name == "quit") {
        m_quit = true;
        return ok();
    }
    return failure("unknown command: " + name);
}

std::optional<Automation::Match> Automation::match(const std::string& text, bool labelOnly)
{
    // A view, or a part it draws itself, with where it shows on screen.
    struct Candidate {
        std::shared_ptr<ui::View> view;
        Rect visible;
    };
    std::vector<Candidate> exact, partial;
    auto consider = [&](const std::shared_ptr<ui::View>& view, const std::string& shown,
                        const std::string& label, Rect visible) {
        if ((!labelOnly && shown == text) || label == text)
            exact.push_back({view, visible});
        else if (!text.empty()
            && ((!labelOnly && shown.find(text) != std::string::npos)
                || label.find(text) != std::string::npos))
            partial.push_back({view, visible});
    };
    for (auto& window : ui::Application::shared().windows()) {
        forEachView(*window, true, [&](const ui::View& view, bool visible) {
            // Off-screen or clipped-away views (a dialog slid away, a row scrolled out of its list,
            // an empty frame) cannot be tapped either.
            Rect shown = visible ? visibleFrame(view) : Rect {};
            if (!visible || shown.isEmpty())
                return;
            auto self = std::const_pointer_cast<ui::View>(view.sharedAs<ui::View>());
            consider(
                self, labelOnly ? std::string() : view.automationText(), view.accessibilityLabel(), shown);
            if (labelOnly)
                return;
            for (auto& element : view.automationElements()) {
                Rect part = seen(view.convertRectToView(element.frame, nullptr)).intersection(shown);
                if (!part.isEmpty())
                    consider(self, element.text, std::string(), part);
            }
        });
    }
    std::optional<Match> covered;
    for (auto* matches : {&exact, &partial}) {
        for (auto it = matches->rbegin(); it != matches->rend(); ++it) {
            Match m {it->view, it->visible.center(), nullptr};
            // A view that takes no touches hands them to its ancestors: landing on one of those is
            // landing on the view. Anything else there is in front of it.
            auto hit = hitView(m.point);
            if (!hit || hit->isDescendantOfView(m.view.get()) || m.view->isDescendantOfView(hit.get()))
                return m;
            if (!covered) {
                m.coveredBy = std::move(hit);
                covered = std::move(m);
            }
        }
    }
    return covered;
}

std::shared_ptr<ui::View> Automation::findView(const std::string& text, bool labelOnly)
{
    auto found = match(text, labelOnly);
    return found ? found->view : nullptr;
}

Rect Automation::screenFrame(const ui::View& view)
{
    return seen(view.convertRectToView(view.bounds(), nullptr));
}

Rect Automation::visibleFrame(const ui::View& view)
{
    Rect visible = screenFrame(view).intersection(seen(ui::Screen::mainScreen().bounds()));
    for (auto ancestor = view.superview(); ancestor && !visible.isEmpty(); ancestor = ancestor->superview()) {
        if (ancestor->clipsToBounds())
            visible = visible.intersection(screenFrame(*ancestor));
    }
    return visible;
}

Value Automation::tree()
{
    Array windows;
    for (auto& window : ui::Application::shared().windows())
        windows.push_back(node(*window));
    return windows;
}

std::optional<Point> Automation::target(const Value& command, std::string& error) const
{
    if (command.contains("x") || command.contains("y")) {
        if (!isNumber(command["x"]) || !isNumber(command["y"])) {
            error = "\"x\" and \"y\" must both be numbers";
            return std::nullopt;
        }
        return Point {command["x"].asDouble(), command["y"].asDouble()};
    }
    bool byLabel = command.contains("label");
    const Value& key = byLabel ? command["label"] : command["text"];
    if (!key.isString()) {
        error = "give \"text\", \"label\" or \"x\" and \"y\"";
        return std::nullopt;
    }
    auto found = match(key.asString(), byLabel);
    if (!found) {
        error = "no visible view with " + std::string(byLabel ? "label" : "text") + " \"" + key.asString()
            + "\"";
        return std::nullopt;
    }
    if (found->coveredBy) {
        error = describe(*found->view) + " is covered by " + describe(*found->coveredBy);
        return std::nullopt;
    }
    return found->point;
}

Value Automation::tap(const Value& command)
{
    std::string error;
    auto point = target(command, error);
    if (!point)
        return failure(error);
    auto& app = ui::Application::shared();
    auto touch = app.touchDown(onScreen(*point));
    if (!touch)
        return failure("the touch was not taken (interaction ignored or no window there)");
    foundation::RunLoop::main().runOnce();
    app.touchUp(touch, onScreen(*point));
    foundation::RunLoop::main().runOnce();
    return ok({{"x", tidy(point->x)}, {"y", tidy(point->y)}});
}

Value Automation::longPress(const Value& command)
{
    std::string error;
    auto point = target(command, error);
    if (!point)
        return failure(error);
    auto duration = seconds(command, "duration", 0.6, kMaxGestureSeconds);
    if (!duration)
        return failure("\"duration\" must be a non-negative number up to 600");
    auto& app = ui::Application::shared();
    auto touch = app.touchDown(onScreen(*point));
    if (!touch)
        return failure("the touch was not taken (interaction ignored or no window there)");
    foundation::RunLoop::main().runFor(*duration);
    app.touchUp(touch, onScreen(*point));
    foundation::RunLoop::main().runOnce();
    return ok({{"x", tidy(point->x)}, {"y", tidy(point->y)}});
}

Value Automation::drag(const Value& command)
{
    auto from = pointValue(command["from"]);
    auto to = pointValue(command["to"]);
    if (!from || !to)
        return failure("\"from\" and \"to\" must be [x, y] pairs of numbers");
    auto duration = seconds(command, "duration", 0.3, kMaxGestureSeconds);
    if (!duration)
        return failure("\"duration\" must be a non-negative number up to 600");
    auto& app = ui::Application::shared();
    auto touch = app.touchDown(onScreen(*from));
    if (!touch)
        return failure("the touch was not taken (interaction ignored or no window there)");
    int steps = std::max(2, int(std::ceil(*duration * 60)));
    for (int i = 1; i <= steps; ++i) {
        foundation::RunLoop::main().runFor(*duration / steps);
        app.touchMoved(touch, onScreen(graphics::lerp(*from, *to, double(i) / steps)));
    }
    app.touchUp(touch, onScreen(*to));
    foundation::RunLoop::main().runOnce();
    return ok();
}

// Two taps 0.1 s apart at one point: within the multi-tap interval, so a double-tap recogniser takes
// them and a single-tap one that waits for it fails.
Value Automation::doubleTap(const Value& command)
{
    std::string error;
    auto point = target(command, error);
    if (!point)
        return failure(error);
    auto& app = ui::Application::shared();
    for (int tap = 0; tap < 2; ++tap) {
        if (tap)
            foundation::RunLoop::main().runFor(0.1);
        auto touch = app.touchDown(onScreen(*point));
        if (!touch)
            return failure("the touch was not taken (interaction ignored or no window there)");
        foundation::RunLoop::main().runFor(0.05);
        app.touchUp(touch, onScreen(*point));
    }
    foundation::RunLoop::main().runOnce();
    return ok({{"x", tidy(point->x)}, {"y", tidy(point->y)}});
}

// Two fingers side by side around a point, `distance` apart (100 by default), moved apart or together
// until they are `scale` times as far apart, over `duration` seconds.
Value Automation::pinch(const Value& command)
{
    std::string error;
    auto point = target(command, error);
    if (!point)
        return failure(error);
    double distance = command.contains("distance") && isNumber(command["distance"])
        ? command["distance"].asDouble()
        : 100;
    if (!isNumber(command["scale"]) || command["scale"].asDouble() <= 0 || command["scale"].asDouble() > 20
        || distance <= 0 || distance > 2000)
        return failure(
            "\"scale\" must be a number above 0 and up to 20, \"distance\" above 0 and up to 2000");
    double scale = command["scale"].asDouble();
    auto duration = seconds(command, "duration", 0.3, kMaxGestureSeconds);
    if (!duration)
        return failure("\"duration\" must be a non-negative number up to 600");
    // Side by side as the screen is seen.
    auto fingerAt = [&](double side, double apart) {
        return onScreen(Point {point->x + side * apart / 2, point->y});
    };
    auto& app = ui::Application::shared();
    auto left = app.touchDown(fingerAt(-1, distance));
    auto right = app.touchDown(fingerAt(1, distance));
    if (!left || !right)
        return failure("the touches were not taken (interaction ignored or no window there)");
    int steps = std::max(2, int(std::ceil(*duration * 60)));
    for (int i = 1; i <= steps; ++i) {
        foundation::RunLoop::main().runFor(*duration / steps);
        double apart = distance * (1 + (scale - 1) * double(i) / steps);
        app.touchMoved(left, fingerAt(-1, apart));
        app.touchMoved(right, fingerAt(1, apart));
    }
    app.touchUp(left, fingerAt(-1, distance * scale));
    app.touchUp(right, fingerAt(1, distance * scale));
    foundation::RunLoop::main().runOnce();
    return ok({{"x", tidy(point->x)}, {"y", tidy(point->y)}});
}

// What was posted for the screen reader, oldest first.
Value Automation::accessibility()
{
    Array posts;
    for (auto& post : ui::Accessibility::posted())
        posts.push_back(Map {{"notification", ui::Accessibility::name(post.notification)},
            {"text", post.text}, {"time", tidy(post.time)}});
    return ok({{"posted", std::move(posts)}});
}

Value Automation::pasteboard()
{
    auto& board = ui::Pasteboard::generalPasteboard();
    Map answer {{"changeCount", board.changeCount()}};
    if (auto image = board.image())
        answer["image"] = Array {image->pixelWidth(), image->pixelHeight()};
    if (auto text = board.string())
        answer["string"] = *text;
    return ok(std::move(answer));
}

Value Automation::type(const Value& command)
{
    if (!command["text"].isString())
        return failure("\"text\" must be a string");
    auto responder = ui::Responder::firstResponder();
    if (!responder)
        return failure("no first responder to type into");
    responder->insertText(command["text"].asString());
    foundation::RunLoop::main().runOnce();
    return ok();
}

Value Automation::backspace(const Value& command)
{
    auto count = seconds(command, "count", 1, kMaxBackspaces);
    if (!count)
        return failure("\"count\" must be a non-negative number up to 10000");
    auto responder = ui::Responder::firstResponder();
    if (!responder)
        return failure("no first responder to delete from");
    for (int i = 0; i < int(*count); ++i)
        responder->deleteBackward();
    foundation::RunLoop::main().runOnce();
    return ok();
}

Value Automation::returnKey()
{
    auto responder = ui::Responder::firstResponder();
    if (!responder)
        return failure("no first responder for the return key");
    responder->returnKey();
    foundation::RunLoop::main().runOnce();
    return ok();
}

Value Automation::advance(const Value& command)
{
    if (!command.contains("seconds"))
        return failure("\"seconds\" is missing");
    auto duration = seconds(command, "seconds", 0, 3600);
    if (!duration)
        return failure("\"seconds\" must be a number from 0 to 3600");
    foundation::RunLoop::main().runFor(*duration);
    return ok({{"now", foundation::RunLoop::main().now()}});
}

// Turns the device; the interface follows where the top screen allows it.
Value Automation::rotate(const Value& command)
{
    static const std::pair<const char*, ui::DeviceOrientation> kOrientations[] = {
        {"portrait", ui::DeviceOrientation::Portrait},
        {"upsideDown", ui::DeviceOrientation::PortraitUpsideDown},
        {"landscapeLeft", ui::DeviceOrientation::LandscapeLeft},
        {"landscapeRight", ui::DeviceOrientation::LandscapeRight},
    };
    const Value& wanted = command["orientation"];
    for (const auto& [name, orientation] : kOrientations) {
        if (wanted.isString() && wanted.asString() == name) {
            ui::Device::currentDevice().setOrientation(orientation);
            foundation::RunLoop::main().runOnce();
            return ok({{"interface", int64_t(ui::Application::shared().statusBarOrientation())}});
        }
    }
    return failure("\"orientation\" must be portrait, upsideDown, landscapeLeft or landscapeRight");
}

// Tilts the device: each axis from -1 to 1, as the motion effects read it.
Value Automation::tilt(const Value& command)
{
    auto axis = [&](const char* key) -> std::optional<double> {
        const Value& v = command[key];
        if (!command.contains(key))
            return 0.0;
        if (!v.isNumber() || !(v.asDouble() >= -1 && v.asDouble() <= 1))
            return std::nullopt;
        return v.asDouble();
    };
    auto x = axis("x"), y = axis("y");
    if (!x || !y)
        return failure("\"x\" and \"y\" must be numbers from -1 to 1");
    ui::Device::currentDevice().setTilt({*x, *y});
    return ok();
}

Value Automation::wait(const Value& command)
{
    bool byLabel = command.contains("label");
    const Value& key = byLabel ? command["label"] : command["text"];
    if (!key.isString())
        return failure("give \"text\" or \"label\" to wait for");
    auto timeout = seconds(command, "timeout", 5, 600);
    if (!timeout)
        return failure("\"timeout\" must be a number from 0 to 600");
    auto& loop = foundation::RunLoop::main();
    bool manual = loop.clock() && loop.clock()->isManual();
    auto start = std::chrono::steady_clock::now();
    auto elapsed
        = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    // Real time passes for the network; a manual clock is moved along with it so timers and
    // animations keep pace.
    for (;;) {
        loop.runOnce();
        ui::Application::shared().layoutWindows();
        if (auto view = findView(key.asString(), byLabel))
            return ok({{"frame", rectArray(screenFrame(*view))}, {"waited", tidy(elapsed())}});
        if (elapsed() >= *timeout)
            return failure("timed out waiting for \"" + key.asString() + "\"");
        if (manual) {
            std::this_thread::sleep_for(std::chrono::milliseconds(16));
            loop.runFor(foundation::RunLoop::kFrameInterval);
        } else {
            loop.waitForNextEvent(foundation::RunLoop::kFrameInterval);
        }
    }
}

Value Automation::screenshot(const Value& command)
{
    if (!command["path"].isString() || command["path"].asString().empty())
        return failure("\"path\" must be a file path");
    // Saved upright, as a phone saves a screenshot taken while it is turned.
    auto image = render::Renderer().renderScreenAsSeen();
    std::string error;
    auto png = graphics::PngCodec::encode(*image, &error);
    if (!png)
        return failure("could not encode the screenshot: " + error);
    std::filesystem::path path = command["path"].asString();
    if (path.has_parent_path())
        foundation::createDirectories(path.parent_path());
    if (!foundation::writeFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(png->data()), png->size())))
        return failure("could not write " + path.string());
    return ok({{"path", path.string()}, {"width", image->pixelWidth()}, {"height", image->pixelHeight()}});
}

Value Automation::find(const Value& command)
{
    bool byLabel = command.contains("label");
    const Value& key = byLabel ? command["label"] : command["text"];
    if (!key.isString())
        return failure("give \"text\" or \"label\" to find");
    auto view = findView(key.asString(), byLabel);
    if (!view)
        return failure("no visible view with " + std::string(byLabel ? "label" : "text") + " \""
            + key.asString() + "\"");
    return ok({{"node", node(*view)}});
}

} // namespace host
