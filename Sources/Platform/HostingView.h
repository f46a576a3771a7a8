#pragma once

#include <QRectF>
#include <QSizeF>
#include <QWidget>
#include <memory>

namespace velto::platform {

/**
 * Content that measures itself more finely than Qt's whole-pixel size hints,
 * such as text measured with QFontMetricsF. A hosting view asks its root view
 * for this first.
 */
class FittingSizeProvider {
public:
    virtual ~FittingSizeProvider() = default;
    virtual QSizeF fittingSize() const = 0;
};

/**
 * A view that hosts one root view and fills itself with it. It runs a layout
 * pass whenever its size changes or its content asks for a new layout (a
 * changed size hint), and subclasses may act after each pass.
 *
 * The frame is kept exactly as assigned (fractional values included), so that
 * callers can compare before they assign; Qt places the widget on whole pixels.
 */
class HostingView : public QWidget {
    Q_OBJECT
public:
    explicit HostingView(std::unique_ptr<QWidget> rootView, QWidget* parent = nullptr);
    ~HostingView() override;

    QWidget* rootView() const { return m_rootView; }

    /// The size the root view asks for: its FittingSizeProvider answer, else its
    /// size hint (never below its minimum size hint), with negatives as 0.
    QSizeF fittingSize() const;

    /// Position and size in the superview, y down from its top edge.
    QRectF frame() const;
    void setFrame(const QRectF& frame);

    /// Detaches the view from its superview (the view stays alive and keeps
    /// whether it was hidden, for the next superview).
    void removeFromSuperview();
    /// Makes the view a child of @p superview, shown unless it was hidden on purpose.
    void moveToSuperview(QWidget* superview);
    /// Whether the view stays hidden when it is added to a superview.
    bool isHiddenWanted() const { return m_hiddenWanted; }
    void setVisible(bool visible) override;

    /// The view a mouse event at @p point (own coordinates) would reach, or null.
    virtual QWidget* hitTest(const QPointF& point) const;

    /// Every layout pass this view ran; for measurements.
    int layoutPassCount() const { return m_layoutPasses; }
    /// Every setFrame() call, equal frames included; for tests that check
    /// callers assign only when something changed.
    int frameAssignments() const { return m_frameAssignments; }

protected:
    /// One layout pass: the root view is set to fill the view.
    virtual void layout();

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_rootView;
    QRectF m_frame;
    bool m_hiddenWanted = false;
    bool m_reparenting = false;
    int m_layoutPasses = 0;
    int m_frameAssignments = 0;
};

} // namespace velto::platform
