#pragma once

#include <QPointF>
#include <QWidget>
#include <memory>

namespace velto {

/**
 * The settings window: titled, closable, neither resizable nor minimisable,
 * holding one content view. Closing only hides it, so the next open shows the
 * same window. Its size is the standard 360 by 280 points, grown to what the
 * content needs so that no row is cut off.
 */
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 360;
    static constexpr int kHeight = 280;

    explicit SettingsWindow(std::unique_ptr<QWidget> content);
    ~SettingsWindow() override;

    /// Replaces the content view; the old one is deleted.
    void setContentView(std::unique_ptr<QWidget> content);
    QWidget* contentView() const { return m_content; }

    /// The frame, title bar included, in screen points with y growing upward.
    QRectF frameRect() const;
    /// Moves the frame's lower left corner to @p origin (screen points, y upward).
    void setFrameOrigin(QPointF origin);
    /// Centres the window on the primary screen's visible area.
    void center();

private:
    void fitToContent();

    QWidget* m_content = nullptr;
};

} // namespace velto
