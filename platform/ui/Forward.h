#pragma once

#include <memory>
#include <vector>

// Forward declarations for the UI library, so headers can name its types cheaply.
namespace ui {

class Responder;
class View;
class Layer;
class ShapeLayer;
struct LayerState;
class Window;
class Application;
class Screen;
class Device;
class ViewController;
class NavigationController;
class NavigationBar;
class NavigationItem;
class BarButtonItem;
class Storyboard;
class StoryboardSegue;
class Touch;
class Event;
class Animation;
class BasicAnimation;
class SpringAnimation;
class TimingFunction;
class Transaction;
class TransitionCoordinator;
struct Transform3D;
class GestureRecognizer;
class GestureRecognizerDelegate;
class TapGestureRecognizer;
class LongPressGestureRecognizer;
class PanGestureRecognizer;
enum class ContentMode;
enum class AnimationOptions : unsigned;

using TouchSet = std::vector<std::shared_ptr<Touch>>;

} // namespace ui
