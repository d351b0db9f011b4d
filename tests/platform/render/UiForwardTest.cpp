// The renderer's header names ui types through platform/ui/Forward.h alone; every class of the UI
// library must be declared there, and the declarations must agree with the definitions below.
#include "platform/ui/Forward.h"

#include <gtest/gtest.h>

#include <tuple>
#include <type_traits>

namespace {

// Names only: fails to compile when Forward.h misses one.
using Declared = std::tuple<ui::Responder*, ui::View*, ui::Layer*, ui::ShapeLayer*, ui::LayerState*,
    ui::Window*, ui::Control*, ui::Button*, ui::Label*, ui::ImageView*, ui::TextField*,
    ui::TextFieldDelegate*, ui::TextRange*, ui::TextView*, ui::AttributedText*, ui::ScrollView*,
    ui::ScrollViewDelegate*, ui::ProgressView*, ui::ActivityIndicatorView*, ui::Keyboard*, ui::AudioPlayer*,
    ui::ImagePickerInfo*, ui::Application*, ui::Screen*, ui::Device*, ui::ViewController*,
    ui::NavigationController*, ui::NavigationBar*, ui::NavigationItem*, ui::BarButtonItem*, ui::Storyboard*,
    ui::StoryboardSegue*, ui::Touch*, ui::TouchDispatcher*, ui::Event*, ui::Animation*, ui::BasicAnimation*,
    ui::SpringAnimation*, ui::AnimationGroup*, ui::AnimationContext*, ui::AnimationEngine*,
    ui::LayerAnimations*, ui::TimingFunction*, ui::SpringCurve*, ui::Transaction*, ui::TransitionCoordinator*,
    ui::Transform3D*, ui::GestureRecognizer*, ui::GestureRecognizerDelegate*, ui::TapGestureRecognizer*,
    ui::LongPressGestureRecognizer*, ui::PanGestureRecognizer*>;

} // namespace

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AnimationContext.h"
#include "platform/ui/AnimationGroup.h"
#include "platform/ui/Application.h"
#include "platform/ui/AudioPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImagePickerInfo.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/Label.h"
#include "platform/ui/LayerAnimations.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/Storyboard.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/TouchDispatcher.h"

namespace {

TEST(UiForwardTest, DeclarationsMatchTheClasses)
{
    // With the definitions in sight, the forward-declared names are the defined types.
    static_assert(std::is_base_of_v<ui::View, ui::ScrollView>);
    static_assert(std::is_base_of_v<ui::Control, ui::Button>);
    static_assert(std::is_base_of_v<ui::Layer, ui::ShapeLayer>);
    static_assert(std::tuple_size_v<Declared> > 0);
}

} // namespace
