#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

class QVBoxLayout;

namespace velto::platform {

/**
 * The window of a Popover: frameless, sized to its content, and, as a
 * Qt::Popup, closed by a press outside it. A press on the anchor's button is
 * not passed on to that button once the popup has closed, so that the click
 * closes the popover rather than opening it again.
 */
class PopoverWindow final : public QWidget {
    Q_OBJECT
public:
    explicit PopoverWindow(std::function<void()> hidden);
    ~PopoverWindow() override;

    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }
    void setAnchor(QWidget* anchor) { m_anchor = anchor; }
    void setTransient(bool transient);
    /// Stops reporting hides, for the owner's destruction.
    void forgetOwner() { m_hidden = nullptr; }

    /**
     * True when a popover anchored in @p button was closed by a press outside
     * it less than @p milliseconds ago. A tray host reports the click on an
     * item only after that press, and the click must then not reopen it.
     */
    static bool closedByPressOutsideRecently(const QWidget* button, int milliseconds = 500);

protected:
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool isOnAnchorButton(const QPointF& globalPosition) const;

    std::function<void()> m_hidden;
    QVBoxLayout* m_layout;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_anchor;
};

} // namespace velto::platform
