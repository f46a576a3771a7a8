#include <VeltoPluginKit/Observable.h>

#include <QPointer>
#include <QTimer>

#include <memory>

namespace velto {

Observable::Observable(QObject* parent) : QObject(parent) {}

Observable::~Observable() = default;

void Observable::notifyWillChange() { Q_EMIT willChange(); }

void Observable::onChange(QObject* context, std::function<void()> callback) {
    // One pending flag per subscription coalesces a burst of changes into one call,
    // made after the new value has been stored.
    auto pending = std::make_shared<bool>(false);
    QPointer<QObject> guard(context);
    connect(this, &Observable::willChange, context, [guard, pending, callback = std::move(callback)] {
        if (*pending) {
            return;
        }
        *pending = true;
        QTimer::singleShot(0, guard.data(), [guard, pending, callback] {
            *pending = false;
            if (guard) {
                callback();
            }
        });
    });
}

} // namespace velto
