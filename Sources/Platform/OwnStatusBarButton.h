#pragma once

#include "Platform/StatusBarButton.h"

#include <QPointer>
#include <QWidget>

namespace velto::platform {

/**
 * A button of velto's own bar: a child widget of the strip, placed by the bar.
 * A left-button press and release inside it is a click. Hosted views that are
 * transparent for mouse events let the press through to it.
 */
class OwnStatusBarButton final : public QWidget, public StatusBarButton {
    Q_OBJECT
public:
    explicit OwnStatusBarButton(QWidget* barWindow, std::function<void()> contentChanged);
    ~OwnStatusBarButton() override;

    void setAction(Action action) override { m_action = std::move(action); }
    QString title() const override { return m_title; }
    void setTitle(const QString& title) override;
    QPixmap image() const override { return m_image; }
    void setImage(const QPixmap& image) override;
    void addSubview(QWidget* view) override;
    std::vector<QWidget*> subviews() const override;
    QWidget* view() override { return this; }
    std::optional<StatusItemWindow> itemWindow() const override;
    void performClick() override;
    std::optional<QPointF> clickLocation() const override { return m_clickLocation; }

    /// Width the title or image needs, for a variable-length item; with
    /// subviews, the right edge of the rightmost one.
    double contentWidth() const;
    /// Set by the bar: where the button is on screen (points, y up), absent while hidden.
    void setScreenFrame(std::optional<QRectF> frame) { m_screenFrame = frame; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Runs the action as a click at @p location (view coordinates) would.
    void clickAt(const QPointF& location);

    Action m_action;
    QString m_title;
    QPixmap m_image;
    std::vector<QPointer<QWidget>> m_subviews;
    std::optional<QRectF> m_screenFrame;
    std::optional<QPointF> m_clickLocation;
    std::function<void()> m_contentChanged;
    bool m_pressed = false;
};

} // namespace velto::platform
