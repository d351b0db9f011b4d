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
class Control;
class Button;
class Label;
class ImageView;
class TextField;
class TextFieldDelegate;
struct TextRange;
class TextView;
struct AttributedText;
class ScrollView;
class ScrollViewDelegate;
class CollectionView;
class CollectionViewCell;
class CollectionReusableView;
class CollectionViewLayout;
class CollectionViewFlowLayout;
class CollectionViewDataSource;
class CollectionViewDelegate;
struct CollectionViewLayoutAttributes;
struct IndexPath;
class Camera;
class ImagePickerController;
class ImagePickerControllerDelegate;
class ProgressView;
class ActivityIndicatorView;
class Keyboard;
class AudioPlayer;
struct ImagePickerInfo;
class Application;
class Screen;
class Device;
class MotionEffect;
class StatusBar;
class ViewController;
class NavigationController;
class NavigationBar;
class NavigationItem;
class BarButtonItem;
class Storyboard;
class StoryboardSegue;
class Touch;
class TouchDispatcher;
class Event;
class Animation;
class BasicAnimation;
class SpringAnimation;
class AnimationGroup;
class AnimationContext;
class AnimationEngine;
class LayerAnimations;
class PinchGestureRecognizer;
class DynamicAnimator;
class DynamicBehavior;
class AttachmentBehavior;
class PushBehavior;
class DynamicItemBehavior;
class TimingFunction;
class SpringCurve;
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
