#include "platform/ui/DynamicAnimator.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/AttachmentBehavior.h"
#include "platform/ui/DynamicItemBehavior.h"
#include "platform/ui/PushBehavior.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

using graphics::Point;
using graphics::Rect;

namespace {

// A push of magnitude 1 gives a 100 x 100 item of density 1 an acceleration of 100 points/s^2:
// mass is density times area in units of 100 x 100 points, force is magnitude times 100.
constexpr double kAreaUnit = 100.0 * 100.0;
constexpr double kForceUnit = 100.0;
constexpr int kSolverIterations = 8;

Point rotated(graphics::Offset offset, double angle)
{
    double c = std::cos(angle), s = std::sin(angle);
    return {offset.horizontal * c - offset.vertical * s, offset.horizontal * s + offset.vertical * c};
}

double cross(Point a, Point b)
{
    return a.x * b.y - a.y * b.x;
}

} // namespace

struct DynamicAnimator::Body {
    std::weak_ptr<View> view;
    graphics::Size size;
    Point center;
    Point velocity;
    double angle {0};
    double angularVelocity {0};
    double inverseMass {1};
    double inverseInertia {0};
    double resistance {0};
    double angularResistance {0};
    bool allowsRotation {true};

    void readView(const View& item)
    {
        size = item.bounds().size;
        center = item.center();
        auto t = item.transform();
        angle = std::atan2(t.b, t.a);
    }

    // Velocity of the body's point at r from its centre.
    Point velocityAt(Point r) const
    {
        return {velocity.x - angularVelocity * r.y, velocity.y + angularVelocity * r.x};
    }

    void applyImpulse(Point impulse, Point r)
    {
        velocity.x += impulse.x * inverseMass;
        velocity.y += impulse.y * inverseMass;
        angularVelocity += cross(r, impulse) * inverseInertia;
    }
};

DynamicAnimator::DynamicAnimator(const std::shared_ptr<View>& referenceView)
    : m_referenceView(referenceView)
    , m_alive(std::make_shared<bool>(true))
{ }

std::shared_ptr<DynamicAnimator> DynamicAnimator::create(const std::shared_ptr<View>& referenceView)
{
    return std::make_shared<DynamicAnimator>(referenceView);
}

DynamicAnimator::~DynamicAnimator()
{
    *m_alive = false;
    stopRunning();
    for (auto& behavior : m_behaviors)
        detach(behavior);
}

void DynamicAnimator::collect(const std::shared_ptr<DynamicBehavior>& behavior,
    std::vector<std::shared_ptr<DynamicBehavior>>& into) const
{
    into.push_back(behavior);
    for (auto& child : behavior->childBehaviors())
        collect(child, into);
}

void DynamicAnimator::detach(const std::shared_ptr<DynamicBehavior>& behavior)
{
    std::vector<std::shared_ptr<DynamicBehavior>> all;
    collect(behavior, all);
    for (auto& each : all)
        each->m_animator = nullptr;
}

void DynamicAnimator::addBehavior(const std::shared_ptr<DynamicBehavior>& behavior)
{
    if (!behavior || std::find(m_behaviors.begin(), m_behaviors.end(), behavior) != m_behaviors.end())
        return;
    m_behaviors.push_back(behavior);
    std::vector<std::shared_ptr<DynamicBehavior>> all;
    collect(behavior, all);
    for (auto& each : all)
        each->m_animator = this;
    rebuildBodies();
    startRunning();
}

void DynamicAnimator::removeBehavior(const std::shared_ptr<DynamicBehavior>& behavior)
{
    auto found = std::find(m_behaviors.begin(), m_behaviors.end(), behavior);
    if (found == m_behaviors.end())
        return;
    m_behaviors.erase(found);
    detach(behavior);
    rebuildBodies();
    if (m_behaviors.empty())
        stopRunning();
}

void DynamicAnimator::removeAllBehaviors()
{
    auto behaviors = std::move(m_behaviors);
    m_behaviors.clear();
    for (auto& behavior : behaviors)
        detach(behavior);
    rebuildBodies();
    stopRunning();
}

// Bodies exist for the items of the behaviours held; a body keeps its motion while any behaviour
// still names its item, and an item joining afresh starts at rest from where its view stands.
void DynamicAnimator::rebuildBodies()
{
    std::vector<std::shared_ptr<DynamicBehavior>> all;
    for (auto& behavior : m_behaviors)
        collect(behavior, all);
    std::map<const View*, std::unique_ptr<Body>> bodies;
    for (auto& behavior : all) {
        for (auto& item : behavior->items()) {
            if (!item || bodies.contains(item.get()))
                continue;
            auto existing = m_bodies.find(item.get());
            if (existing != m_bodies.end() && !existing->second->view.expired()) {
                bodies[item.get()] = std::move(existing->second);
                continue;
            }
            auto body = std::make_unique<Body>();
            body->view = item;
            body->readView(*item);
            bodies[item.get()] = std::move(body);
        }
    }
    m_bodies = std::move(bodies);
}

void DynamicAnimator::updateItemUsingCurrentState(const View& item)
{
    auto found = m_bodies.find(&item);
    if (found != m_bodies.end())
        found->second->readView(item);
}

void DynamicAnimator::startRunning()
{
    if (m_frameCallback)
        return;
    auto& loop = foundation::RunLoop::main();
    m_lastTime = loop.now();
    m_accumulator = 0;
    m_elapsed = 0;
    std::weak_ptr<bool> alive = m_alive;
    m_frameCallback = loop.addFrameCallback([this, alive](double now) {
        if (auto token = alive.lock(); token && *token)
            stepTo(now);
    });
}

void DynamicAnimator::stopRunning()
{
    if (!m_frameCallback)
        return;
    foundation::RunLoop::main().removeFrameCallback(m_frameCallback);
    m_frameCallback = 0;
}

void DynamicAnimator::stepTo(double now)
{
    if (!m_frameCallback)
        return;
    // A clock that was replaced (a test's manual clock after the real one) starts again from here.
    if (now < m_lastTime)
        m_lastTime = now;
    m_accumulator += now - m_lastTime;
    m_lastTime = now;
    // A long stall (a debugger, a slow frame) is not made up all at once.
    m_accumulator = std::min(m_accumulator, 0.25);
    std::weak_ptr<bool> alive = m_alive;
    while (m_accumulator >= kStep - 1e-9 && m_frameCallback) {
        m_accumulator -= kStep;
        step();
        if (alive.expired() || !*alive.lock())
            return;
    }
}

void DynamicAnimator::step()
{
    std::vector<std::shared_ptr<DynamicBehavior>> all;
    for (auto& behavior : m_behaviors)
        collect(behavior, all);
    const double h = kStep;

    // The make-up of each body: defaults, then every item behaviour that names it, in order.
    for (auto& [key, body] : m_bodies) {
        double density = 1;
        body->resistance = 0;
        body->angularResistance = 0;
        body->allowsRotation = true;
        for (auto& behavior : all) {
            auto item = std::dynamic_pointer_cast<DynamicItemBehavior>(behavior);
            if (!item)
                continue;
            for (auto& view : item->items()) {
                if (view.get() != key)
                    continue;
                density = item->density();
                body->resistance = item->resistance();
                body->angularResistance = item->angularResistance();
                body->allowsRotation = item->allowsRotation();
            }
        }
        double area = std::max(body->size.width * body->size.height, 1e-6);
        double mass = density * area / kAreaUnit;
        double inertia
            = mass * (body->size.width * body->size.width + body->size.height * body->size.height) / 12;
        body->inverseMass = 1 / mass;
        body->inverseInertia = body->allowsRotation && inertia > 0 ? 1 / inertia : 0;
        if (!body->allowsRotation)
            body->angularVelocity = 0;
    }

    auto bodyFor = [&](const std::shared_ptr<View>& view) -> Body* {
        auto found = view ? m_bodies.find(view.get()) : m_bodies.end();
        return found == m_bodies.end() ? nullptr : found->second.get();
    };

    // Forces and impulses.
    for (auto& behavior : all) {
        auto push = std::dynamic_pointer_cast<PushBehavior>(behavior);
        if (!push || !push->isActive())
            continue;
        double scale = push->mode() == PushBehaviorMode::Instantaneous ? kForceUnit : kForceUnit * h;
        Point impulse {push->pushDirection().dx * scale, push->pushDirection().dy * scale};
        for (auto& view : push->items()) {
            if (auto* body = bodyFor(view))
                body->applyImpulse(impulse, rotated(push->targetOffsetFromCenterForItem(*view), body->angle));
        }
        if (push->mode() == PushBehaviorMode::Instantaneous)
            push->setActive(false);
    }

    // Resistance, as damping of the velocity.
    for (auto& [key, body] : m_bodies) {
        double linear = 1 / (1 + h * body->resistance);
        body->velocity = {body->velocity.x * linear, body->velocity.y * linear};
        body->angularVelocity *= 1 / (1 + h * body->angularResistance);
    }

    // Attachments, solved on velocities with sequential impulses. A rigid attachment removes the
    // whole position error in one step, so a dragged item follows its anchor exactly; a spring is
    // a soft constraint whose stiffness and damping come from its frequency and damping ratio.
    struct Joint {
        AttachmentBehavior* attachment;
        Body* body;
        Point r;
        Point bias;
        double gamma;
        Point accumulated;
        double accumulatedLength;
    };
    std::vector<Joint> joints;
    for (auto& behavior : all) {
        auto attachment = std::dynamic_pointer_cast<AttachmentBehavior>(behavior);
        Body* body = attachment ? bodyFor(attachment->item()) : nullptr;
        if (!body)
            continue;
        Joint joint {
            attachment.get(), body, rotated(attachment->offsetFromCenter(), body->angle), {}, 0, {}, 0};
        Point point = body->center + joint.r;
        Point error = point - attachment->anchorPoint();
        double beta = 1 / h;
        if (attachment->frequency() > 0) {
            double mass = 1 / body->inverseMass;
            double omega = 2 * std::numbers::pi * attachment->frequency();
            double d = 2 * mass * attachment->damping() * omega;
            double k = mass * omega * omega;
            joint.gamma = 1 / (h * (d + h * k));
            beta = h * k * joint.gamma;
        }
        if (attachment->length() > 0) {
            double distance = std::hypot(error.x, error.y);
            joint.bias = {(distance - attachment->length()) * beta, 0};
        } else {
            joint.bias = {error.x * beta, error.y * beta};
        }
        joints.push_back(joint);
    }
    for (int iteration = 0; iteration < kSolverIterations && !joints.empty(); ++iteration) {
        for (auto& joint : joints) {
            Body& body = *joint.body;
            Point r = joint.r;
            Point velocity = body.velocityAt(r);
            double im = body.inverseMass, ii = body.inverseInertia;
            if (joint.attachment->length() > 0) {
                Point toPoint = body.center + r - joint.attachment->anchorPoint();
                double distance = std::hypot(toPoint.x, toPoint.y);
                if (distance < 1e-9)
                    continue;
                Point n {toPoint.x / distance, toPoint.y / distance};
                double rn = cross(r, n);
                double k = im + ii * rn * rn + joint.gamma;
                double lambda = -(velocity.x * n.x + velocity.y * n.y + joint.bias.x
                                    + joint.gamma * joint.accumulatedLength)
                    / k;
                joint.accumulatedLength += lambda;
                body.applyImpulse({lambda * n.x, lambda * n.y}, r);
                continue;
            }
            // Point constraint: K = [[im + ii ry^2, -ii rx ry], [-ii rx ry, im + ii rx^2]] + gamma.
            double k11 = im + ii * r.y * r.y + joint.gamma;
            double k12 = -ii * r.x * r.y;
            double k22 = im + ii * r.x * r.x + joint.gamma;
            double det = k11 * k22 - k12 * k12;
            if (std::abs(det) < 1e-12)
                continue;
            Point rhs {-(velocity.x + joint.bias.x + joint.gamma * joint.accumulated.x),
                -(velocity.y + joint.bias.y + joint.gamma * joint.accumulated.y)};
            Point impulse {(k22 * rhs.x - k12 * rhs.y) / det, (k11 * rhs.y - k12 * rhs.x) / det};
            joint.accumulated = joint.accumulated + impulse;
            body.applyImpulse(impulse, r);
        }
    }

    // Positions, written back to the views.
    for (auto& [key, body] : m_bodies) {
        body->center = {body->center.x + h * body->velocity.x, body->center.y + h * body->velocity.y};
        body->angle += h * body->angularVelocity;
        if (auto view = body->view.lock()) {
            view->setCenter(body->center);
            if (body->allowsRotation)
                view->setTransform(graphics::AffineTransform::makeRotation(body->angle));
        }
    }
    m_elapsed += h;

    std::weak_ptr<bool> alive = m_alive;
    for (auto& behavior : all) {
        if (behavior->m_animator != this || !behavior->action())
            continue;
        auto action = behavior->action();
        action();
        if (alive.expired() || !*alive.lock())
            return;
    }
}

std::vector<std::shared_ptr<View>> DynamicAnimator::itemsInRect(Rect rect) const
{
    std::vector<std::shared_ptr<View>> found;
    for (auto& [key, body] : m_bodies) {
        auto view = body->view.lock();
        if (!view)
            continue;
        // The bounding box of the turned item.
        double c = std::abs(std::cos(body->angle)), s = std::abs(std::sin(body->angle));
        double width = body->size.width * c + body->size.height * s;
        double height = body->size.width * s + body->size.height * c;
        Rect box {body->center.x - width / 2, body->center.y - height / 2, width, height};
        if (box.intersects(rect))
            found.push_back(view);
    }
    return found;
}

Point DynamicAnimator::linearVelocityForItem(const View& item) const
{
    auto found = m_bodies.find(&item);
    return found == m_bodies.end() ? Point {} : found->second->velocity;
}

double DynamicAnimator::angularVelocityForItem(const View& item) const
{
    auto found = m_bodies.find(&item);
    return found == m_bodies.end() ? 0 : found->second->angularVelocity;
}

} // namespace ui
