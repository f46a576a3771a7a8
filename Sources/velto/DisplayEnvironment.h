#pragma once

#include <QObject>
#include <QRectF>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace velto {

namespace platform {
class Screen;
class StatusBar;
} // namespace platform

/// One display as the automatic compact rules read it (points, y up).
struct DisplayDescription {
    QRectF frame;
    /// The display less panels, docks and the menu bar.
    QRectF visibleFrame;
    /// The unobscured area right of a camera housing; absent without one.
    std::optional<QRectF> rightOfNotch;
    /// A number that names the display; absent when the window system gives none.
    std::optional<std::uint32_t> displayNumber;
    bool isBuiltIn = false;
};

/**
 * What the status bar controller's automatic compact mode reads and waits on:
 * the time, a repeating timer, delayed work, the screens, and notices of
 * display changes, sleep and wake. Tests put a clock and screens of their own
 * here; QtDisplayEnvironment is the running application's. Main thread only.
 */
class DisplayEnvironment {
public:
    using WorkID = std::uint64_t;

    struct Observers {
        std::function<void()> displaysChanged;
        std::function<void()> screensDidSleep;
        std::function<void()> screensDidWake;
    };

    virtual ~DisplayEnvironment();

    /// Seconds on a monotonic clock.
    virtual double now() const = 0;
    /// Runs @p tick every @p interval seconds, first after one interval, for the
    /// environment's life.
    virtual void startRepeating(double interval, std::function<void()> tick) = 0;
    /// Runs @p work once, @p delay seconds from now, unless cancelled first.
    virtual WorkID schedule(double delay, std::function<void()> work) = 0;
    virtual void cancel(WorkID work) = 0;

    /// Every connected display, the primary one first.
    virtual std::vector<DisplayDescription> screens() const = 0;
    /// The display with the menu bar; absent without any.
    virtual std::optional<DisplayDescription> mainScreen() const = 0;
    /// The display that @p screen shows; absent once it is gone.
    virtual std::optional<DisplayDescription> describe(const platform::Screen& screen) const = 0;

    /// Delivers the notices to @p observers from now on; a later call replaces them.
    virtual void observe(Observers observers) = 0;

protected:
    DisplayEnvironment() = default;
    DisplayEnvironment(const DisplayEnvironment&) = delete;
    DisplayEnvironment& operator=(const DisplayEnvironment&) = delete;
};

/**
 * The application's environment: a steady clock, QTimer, the QScreen list
 * with the built-in flag from the display's connector, Qt's screen added,
 * removed and geometry notices as display changes, and logind's sleep and
 * wake. A display's number is a hash of its output name; a display without a
 * name gives none.
 *
 * On velto's own bar (a bar that reports item frames) the strip is the menu
 * bar: the primary screen's visible frame leaves out its thickness at the top.
 */
class QtDisplayEnvironment : public QObject, public DisplayEnvironment {
    Q_OBJECT
public:
    /// @p statusBar, if given, must outlive the environment.
    explicit QtDisplayEnvironment(const platform::StatusBar* statusBar = nullptr);
    ~QtDisplayEnvironment() override;

    double now() const override;
    void startRepeating(double interval, std::function<void()> tick) override;
    WorkID schedule(double delay, std::function<void()> work) override;
    void cancel(WorkID work) override;
    std::vector<DisplayDescription> screens() const override;
    std::optional<DisplayDescription> mainScreen() const override;
    std::optional<DisplayDescription> describe(const platform::Screen& screen) const override;
    void observe(Observers observers) override;

private:
    struct State;
    void followScreen(QObject* screen);
    void notifyDisplaysChanged();

    std::unique_ptr<State> m_state;
};

} // namespace velto
