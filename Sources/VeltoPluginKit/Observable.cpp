#include <QPointer>
#include <QTimer>
#include <VeltoPluginKit/Observable.h>
#include <memory>
#include <utility>
#include <vector>

namespace velto {
namespace {

struct Subscription {
    QPointer<QObject> context;
    std::function<void()> callback;
    bool pending = false;
};

// The calls owed on the next turn of this thread's loop, by every observable
// living in it, in the order their changes came. All of them travel in one
// posted event: the gauges of a shared tick wake the loop once, not once per
// gauge and observer. Entries are weak: a subscription that ended while its
// call was owed is skipped.
thread_local std::vector<std::weak_ptr<Subscription>> t_owed;

void deliverOwed() {
    // Calls made from a callback are owed on the turn after this one.
    const std::vector<std::weak_ptr<Subscription>> due = std::exchange(t_owed, {});
    for (const std::weak_ptr<Subscription>& entry : due) {
        const std::shared_ptr<Subscription> subscription = entry.lock();
        if (!subscription) {
            continue;
        }
        subscription->pending = false;
        if (subscription->context) {
            // A copy: the callback may end the subscription it belongs to.
            const std::function<void()> callback = subscription->callback;
            callback();
        }
    }
}

void owe(const std::shared_ptr<Subscription>& subscription) {
    t_owed.push_back(subscription);
    if (t_owed.size() == 1) {
        // No context: the call is posted to this thread, whoever made the change.
        QTimer::singleShot(0, [] { deliverOwed(); });
    }
}

} // namespace

Observable::Observable(QObject* parent) : QObject(parent) {}

Observable::~Observable() = default;

void Observable::notifyWillChange() {
    Q_EMIT willChange();
}

void Observable::onChange(QObject* context, std::function<void()> callback) {
    // One pending flag per subscription coalesces a burst of changes into one call,
    // made after the new value has been stored.
    auto subscription = std::make_shared<Subscription>();
    subscription->context = context;
    subscription->callback = std::move(callback);
    if (context && context->thread() == thread()) {
        // The connection lives as long as the context; the subscription with it.
        connect(this, &Observable::willChange, context, [subscription] {
            if (subscription->pending) {
                return;
            }
            subscription->pending = true;
            owe(subscription);
        });
        return;
    }
    connect(this, &Observable::willChange, context, [subscription] {
        if (subscription->pending) {
            return;
        }
        subscription->pending = true;
        QTimer::singleShot(0, subscription->context.data(), [subscription] {
            subscription->pending = false;
            if (subscription->context) {
                subscription->callback();
            }
        });
    });
}

} // namespace velto
