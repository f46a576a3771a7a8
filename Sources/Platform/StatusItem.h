#pragma once

#include <QRectF>
#include <QString>
#include <optional>

namespace velto::platform {

class StatusBarButton;

/**
 * One item in the status bar. Made by StatusBar::statusItem() and owned by the
 * bar, which keeps it for its own life: items are hidden, never removed.
 */
class StatusItem {
public:
    /// Lengths with a meaning of their own.
    static constexpr double kVariableLength = -1.0; ///< as wide as the button's content
    static constexpr double kSquareLength = -2.0;   ///< as wide as the bar is thick

    virtual ~StatusItem();

    /// The name under which the bar remembers this item's place.
    virtual QString autosaveName() const = 0;
    virtual void setAutosaveName(const QString& name) = 0;

    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;

    /// The length as assigned: points, or kVariableLength or kSquareLength.
    virtual double length() const = 0;
    /// Assigning the current value again does nothing, not even a relayout.
    virtual void setLength(double length) = 0;

    /// The button; null where the back end has none.
    virtual StatusBarButton* button() = 0;

    /// Shorthand for the button's window frame (points, y up); absent while hidden.
    virtual std::optional<QRectF> frame() const = 0;

protected:
    StatusItem() = default;
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;
};

} // namespace velto::platform
