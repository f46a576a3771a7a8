#pragma once

#include <QObject>
#include <VeltoPluginKit/VeltoPluginKitExport.h>
#include <functional>

namespace velto {

/**
 * Base of every observable object: willChange() is emitted just before a
 * published value is stored, also when the new value equals the old one.
 *
 * Observers redraw from fresh reads; use onChange() to get a callback on the
 * next turn of the main loop, after the value has been stored.
 */
class VELTOPLUGINKIT_EXPORT Observable : public QObject {
    Q_OBJECT
public:
    explicit Observable(QObject* parent = nullptr);
    ~Observable() override;

    /**
     * Calls @p callback on the next turn of the main loop after each change, for
     * as long as @p context lives. Several changes within one turn give one call.
     */
    void onChange(QObject* context, std::function<void()> callback);

Q_SIGNALS:
    void willChange();

protected:
    /// Emits willChange(); call it immediately before storing the new value.
    void notifyWillChange();
};

} // namespace velto
