#pragma once

#include "Platform/StatusItem.h"

#include <memory>

class QWidget;

namespace velto::platform {

class OwnStatusBar;
class OwnStatusBarButton;

/// An item of velto's own bar. Every change that moves something lays the bar out again.
class OwnStatusItem final : public StatusItem {
public:
    OwnStatusItem(OwnStatusBar& bar, QWidget* barWindow, double length);
    ~OwnStatusItem() override;

    QString autosaveName() const override { return m_autosaveName; }
    void setAutosaveName(const QString& name) override { m_autosaveName = name; }
    bool isVisible() const override { return m_visible; }
    void setVisible(bool visible) override;
    double length() const override { return m_length; }
    void setLength(double length) override;
    StatusBarButton* button() override;
    std::optional<QRectF> frame() const override;

    OwnStatusBarButton& ownButton() const { return *m_button; }
    /// Every setLength() call, equal values included; for tests that check
    /// callers assign only when something changed.
    int lengthAssignments() const { return m_lengthAssignments; }
    /// Every setVisible() call, equal values included.
    int visibilityAssignments() const { return m_visibilityAssignments; }

private:
    OwnStatusBar& m_bar;
    std::unique_ptr<OwnStatusBarButton> m_button;
    QString m_autosaveName;
    double m_length;
    bool m_visible = true;
    int m_lengthAssignments = 0;
    int m_visibilityAssignments = 0;
};

} // namespace velto::platform
