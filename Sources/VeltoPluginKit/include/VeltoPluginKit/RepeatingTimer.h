#pragma once

#include <QPointer>
#include <VeltoPluginKit/VeltoPluginKitExport.h>
#include <functional>
#include <memory>

class QTimer;

namespace velto {

/**
 * A repeating main-loop timer. It keeps firing while menus, popovers and modal
 * dialogs run their own event loops, never holds its owner alive, and stops when
 * the handle is destroyed or invalidate() is called.
 */
class VELTOPLUGINKIT_EXPORT RepeatingTimer {
public:
    /**
     * Fires @p tick every @p interval seconds, the first time one interval from now.
     * @p owner is held weakly: once it is destroyed the timer does nothing.
     */
    static std::unique_ptr<RepeatingTimer> schedule(double interval, QObject* owner,
                                                    std::function<void()> tick);
    ~RepeatingTimer();

    void invalidate();
    bool isValid() const;
    double interval() const { return m_interval; }

    RepeatingTimer(const RepeatingTimer&) = delete;
    RepeatingTimer& operator=(const RepeatingTimer&) = delete;

private:
    RepeatingTimer(double interval, QObject* owner, std::function<void()> tick);

    double m_interval;
    QPointer<QObject> m_owner;
    std::unique_ptr<QTimer> m_timer;
};

} // namespace velto
