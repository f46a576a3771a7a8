#pragma once

#include "Platform/StatusItem.h"
#include "Platform/TrayIconRenderer.h"

#include <QObject>
#include <functional>
#include <memory>

namespace velto::platform {

class OwnStatusItem;
class StatusNotifierItem;
class TrayStatusBar;

/**
 * An item of the tray back end. Its place, length, visibility and button are
 * those of an item of velto's own bar, which draws it; while a tray host is
 * there the same item is also exported on the bus, where its status follows
 * isVisible() (hidden items stay registered, as "Passive") and its image is
 * the button as drawn. Whatever repaints the button sends the tray what
 * changed, and nothing else.
 */
class TrayStatusItem final : public QObject, public StatusItem {
    Q_OBJECT
public:
    TrayStatusItem(TrayStatusBar& bar, OwnStatusItem& ownItem, int number);
    ~TrayStatusItem() override;

    QString autosaveName() const override;
    void setAutosaveName(const QString& name) override;
    bool isVisible() const override;
    void setVisible(bool visible) override;
    double length() const override;
    void setLength(double length) override;
    StatusBarButton* button() override;
    std::optional<QRectF> frame() const override;

    OwnStatusItem& ownItem() const { return m_ownItem; }
    /// The bus object, made on the first export; null before.
    StatusNotifierItem* exported() const { return m_exported.get(); }
    /// The squares of figures drawn for the tray, kept for readings that come back.
    const TrayIconRenderer::FigureSquares& figureSquares() const { return m_figureSquares; }
    /// The whole lists of images sent lately, kept for readings that come back.
    const TrayIconRenderer::RecentPixmaps& recentPixmaps() const { return m_recentPixmaps; }

    /// Puts the item on the bus (once) and brings what it shows up to date.
    void exportToTray();
    /// Sends the tray what changed, soon, once however often it is asked.
    void scheduleSync();
    /// Sends the tray what changed, now.
    void syncNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TrayStatusBar& m_bar;
    OwnStatusItem& m_ownItem;
    std::unique_ptr<StatusNotifierItem> m_exported;
    TrayIconRenderer::FigureSquares m_figureSquares;
    TrayIconRenderer::RecentPixmaps m_recentPixmaps;
    QString m_labelGuide;
    int m_number;
    bool m_syncScheduled = false;
    bool m_rendering = false;
};

} // namespace velto::platform
