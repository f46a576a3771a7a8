#pragma once

#include "Platform/HostingView.h"

#include <functional>
#include <memory>

namespace velto {

/**
 * The hosting view of a widget's reading. Mouse events pass through it and its
 * content to the status bar button beneath, and it reports each layout pass
 * through onLayout, except a pass that onLayout itself causes.
 */
class PassthroughHostingView : public platform::HostingView {
    Q_OBJECT
public:
    explicit PassthroughHostingView(std::unique_ptr<QWidget> rootView, QWidget* parent = nullptr);

    /// Run after each layout pass; may be empty.
    const std::function<void()>& onLayout() const { return m_onLayout; }
    void setOnLayout(std::function<void()> onLayout) { m_onLayout = std::move(onLayout); }
    /// True while onLayout runs.
    bool isReporting() const { return m_isReporting; }

    /// Never a view: nothing hosted here receives a mouse event.
    QWidget* hitTest(const QPointF& point) const override;

protected:
    void layout() override;

private:
    std::function<void()> m_onLayout;
    bool m_isReporting = false;
};

} // namespace velto
