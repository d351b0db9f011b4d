#include "components/imageviewer/ImageViewerController.h"

#include "platform/ui/AttachmentBehavior.h"
#include "platform/ui/DynamicAnimator.h"
#include "platform/ui/DynamicItemBehavior.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/PushBehavior.h"
#include "platform/ui/Screen.h"

#include <cmath>

// At the resting zoom the image hangs from the finger where it was grabbed, swings with the
// dynamics, and either springs back or is flung off the screen, which closes the viewer.

using graphics::Offset;
using graphics::Point;

bool ImageViewerController::isFlickVelocity(Point velocity)
{
    float vx = float(velocity.x), vy = float(velocity.y);
    return std::sqrt(vx * vx + vy * vy) > kFlickSpeed;
}

Point ImageViewerController::targetDismissalPoint(Point start, Point velocity)
{
    return {start.x + velocity.x / 3, start.y + velocity.y / 3};
}

void ImageViewerController::dismissingPanGestureRecognizerPanned(ui::GestureRecognizer& recognizer)
{
    // A flung image is on its way out: a new touch must not catch it and strand the viewer.
    if (m_flags.scrollViewIsAnimatingAZoom || m_flags.isAnimatingAPresentationOrDismissal
        || m_flags.imageIsFlickingAwayForDismissal || !m_scrollView)
        return;
    auto& pan = static_cast<ui::PanGestureRecognizer&>(recognizer);
    const ui::View* in = pan.view().get();
    Point translation = pan.translationInView(in);
    Point location = pan.locationInView(in);
    Point velocity = pan.velocityInView(in);
    switch (pan.state()) {
    case ui::GestureState::Began:
        // The platform's translation counts from the touch-down, so the distance the pan took
        // to begin is already in it: the image hangs from the finger without that jump.
        m_flags.isDraggingImage = m_imageView->frame().contains(location);
        if (m_flags.isDraggingImage)
            startImageDragging(location, {-translation.x, -translation.y});
        break;
    case ui::GestureState::Changed:
        if (m_flags.isDraggingImage) {
            m_attachmentBehavior->setAnchorPoint({m_imageDragStartingPoint.x + translation.x
                    + m_imageDragOffsetFromActualTranslation.horizontal,
                m_imageDragStartingPoint.y + translation.y
                    + m_imageDragOffsetFromActualTranslation.vertical});
        } else {
            // The finger started beside the image: it picks the image up where it reaches it.
            m_flags.isDraggingImage = m_imageView->frame().contains(location);
            if (m_flags.isDraggingImage)
                startImageDragging(location, {-translation.x, -translation.y});
        }
        break;
    default:
        panEnded(velocity);
        break;
    }
}

void ImageViewerController::panEnded(Point velocity)
{
    if (isFlickVelocity(velocity)) {
        if (m_flags.isDraggingImage)
            dismissImageWithFlick(velocity);
        else
            dismiss(true);
        return;
    }
    cancelCurrentImageDrag(true);
}

void ImageViewerController::startImageDragging(Point location, Offset translationOffset)
{
    m_imageDragStartingPoint = location;
    m_imageDragOffsetFromActualTranslation = translationOffset;
    Point center = m_imageView->center();
    m_imageDragOffsetFromImageCenter = {location.x - center.x, location.y - center.y};
    m_attachmentBehavior = ui::AttachmentBehavior::create(
        m_imageView, m_imageDragOffsetFromImageCenter, m_imageDragStartingPoint);
    m_animator->addBehavior(m_attachmentBehavior);
    auto item = ui::DynamicItemBehavior::create({m_imageView});
    item->setAngularResistance(appropriateAngularResistanceForView(*m_imageView));
    item->setDensity(appropriateDensityForView(*m_imageView));
    m_animator->addBehavior(item);
}

namespace {

double area(graphics::Size size)
{
    return size.width * size.height;
}

} // namespace

// A small image resists turning more, and weighs more, than one that fills the viewer.
double ImageViewerController::appropriateAngularResistanceForView(const ui::View& item)
{
    double screenArea = area(ui::Screen::mainScreen().bounds().size);
    return (area(view()->bounds().size) / area(item.bounds().size)) * (kReferenceScreenArea / screenArea)
        * kAngularResistanceFactor;
}

double ImageViewerController::appropriateDensityForView(const ui::View& item)
{
    double screenArea = area(ui::Screen::mainScreen().bounds().size);
    return (area(view()->bounds().size) / area(item.bounds().size)) * (kReferenceScreenArea / screenArea)
        * kDensityFactor;
}

void ImageViewerController::dismissImageWithFlick(Point velocity)
{
    m_flags.imageIsFlickingAwayForDismissal = true;
    auto push = ui::PushBehavior::create({m_imageView}, ui::PushBehaviorMode::Instantaneous);
    push->setPushDirection({velocity.x * kPushVelocityFactor, velocity.y * kPushVelocityFactor});
    push->setTargetOffsetFromCenter(m_imageDragOffsetFromImageCenter, *m_imageView);
    std::weak_ptr<ImageViewerController> weak = sharedAs<ImageViewerController>();
    push->setAction([weak] {
        auto self = weak.lock();
        if (!self || !self->imageViewIsOffscreen())
            return;
        self->m_animator->removeAllBehaviors();
        self->m_attachmentBehavior.reset();
        self->m_imageView->removeFromSuperview();
        self->dismiss(true);
    });
    if (m_attachmentBehavior)
        m_animator->removeBehavior(m_attachmentBehavior);
    m_animator->addBehavior(push);
}

bool ImageViewerController::imageViewIsOffscreen()
{
    auto reference = m_animator ? m_animator->referenceView() : nullptr;
    if (!reference)
        return true;
    graphics::Rect visible = view()->convertRectToView(view()->bounds(), reference.get());
    return m_animator->itemsInRect(visible).empty();
}

void ImageViewerController::cancelCurrentImageDrag(bool animated)
{
    // A flung image finishes its flight: the viewer closes once it is out of sight.
    if (m_flags.imageIsFlickingAwayForDismissal)
        return;
    if (m_animator)
        m_animator->removeAllBehaviors();
    m_attachmentBehavior.reset();
    m_flags.isDraggingImage = false;
    if (!m_imageView || !m_scrollView)
        return;
    if (!animated) {
        m_imageView->setTransform({});
        graphics::Size content = m_scrollView->contentSize();
        m_imageView->setCenter({content.width / 2, content.height / 2});
        return;
    }
    auto self = sharedAs<ImageViewerController>();
    ui::View::animateWithSpring(kSpringBackDuration, 0, kSpringBackDamping, 0,
        ui::AnimationOptions::AllowUserInteraction | ui::AnimationOptions::BeginFromCurrentState,
        [self] {
            if (self->m_flags.isDraggingImage || !self->m_scrollView)
                return;
            self->m_imageView->setTransform({});
            if (self->m_scrollView->isDragging() || self->m_scrollView->isDecelerating())
                return;
            graphics::Size content = self->m_scrollView->contentSize();
            self->m_imageView->setCenter({content.width / 2, content.height / 2});
            self->updateScrollViewAndImageViewForCurrentMetrics();
        },
        {});
}
