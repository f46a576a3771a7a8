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

// The calls an observable owes on the next turn, in the order their changes came.
// All of them travel in one posted event, so a source with several observers wakes
// the loop once per change instead of once per observer.
class PendingCalls : public QObject {
public:
    explicit PendingCalls(QObject* observable) : QObject(observable) {}

    void add(const std::shared_ptr<Subscription>& subscription) {
        m_queue.push_back(subscription);
        if (m_queue.size() == 1) {
            QTimer::singleShot(0, this, [this] { deliver(); });
        }
    }

private:
    void deliver() {
        // Calls made from a callback queue up for the turn after this one.
        const std::vector<std::weak_ptr<Subscription>> due = std::exchange(m_queue, {});
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

    std::vector<std::weak_ptr<Subscription>> m_queue;
};

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
        PendingCalls* calls = nullptr;
        for (QObject* child : children()) {
            if ((calls = dynamic_cast<PendingCalls*>(child))) {
                break;
            }
        }
        if (!calls) {
            calls = new PendingCalls(this);
        }
        // The connection lives as long as the context; the subscription with it.
        connect(this, &Observable::willChange, context, [calls, subscription] {
            if (subscription->pending) {
                return;
            }
            subscription->pending = true;
            calls->add(subscription);
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
