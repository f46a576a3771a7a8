#pragma once

#include "Platform/Screen.h"

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace velto::platform {

/// Where a status item's button is shown: the window that carries it.
struct StatusItemWindow {
    /// The button's area on screen, in the menu bar rules' coordinates (points, y up).
    QRectF frame;
    /// The screen that shows it; absent when the window system names none.
    std::optional<Screen> screen;
};

/**
 * The clickable part of a status item. It draws its title or image, carries
 * subviews (a widget's hosted reading) and runs its action when clicked.
 *
 * Subviews are never owned: whoever adds one keeps it, and a button that goes
 * away first detaches them.
 */
class StatusBarButton {
public:
    /// The action gets the button that was clicked.
    using Action = std::function<void(StatusBarButton& sender)>;

    virtual ~StatusBarButton();

    /// Target and action in one: run on every click. An empty action clears it.
    virtual void setAction(Action action) = 0;
    virtual QString title() const = 0;
    virtual void setTitle(const QString& title) = 0;
    /// An image drawn centred; a null pixmap shows the title instead.
    virtual QPixmap image() const = 0;
    virtual void setImage(const QPixmap& image) = 0;

    /// Makes @p view a subview, placed by its own frame. A view that sits in
    /// another button is moved here.
    virtual void addSubview(QWidget* view) = 0;
    /// The subviews, in the order they were added.
    virtual std::vector<QWidget*> subviews() const = 0;

    /// The widget the button is drawn in, and in which its subviews sit.
    virtual QWidget* view() = 0;
    /// The window that carries the button (the menu bar rules' "button.window"):
    /// where it is on screen; absent while its item is hidden or not placed.
    virtual std::optional<StatusItemWindow> itemWindow() const = 0;

    /// Runs the action as a click would.
    virtual void performClick() = 0;

    /// Where the click that the action is handling happened, in the view's
    /// coordinates (y down from its top edge): the application's current event.
    /// Absent outside an action, for performClick(), and on back ends that do
    /// not know where their button was clicked.
    virtual std::optional<QPointF> clickLocation() const { return std::nullopt; }

protected:
    StatusBarButton() = default;
    StatusBarButton(const StatusBarButton&) = delete;
    StatusBarButton& operator=(const StatusBarButton&) = delete;
};

} // namespace velto::platform
