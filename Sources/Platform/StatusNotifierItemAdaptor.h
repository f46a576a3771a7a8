#pragma once

#include "Platform/StatusNotifierTypes.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>

namespace velto::platform {

class StatusNotifierItem;

/**
 * The org.kde.StatusNotifierItem interface of a StatusNotifierItem, with the
 * label extension hosts of the Ayatana family read. Properties are read from
 * the item; its change signals are relayed as they are.
 */
class StatusNotifierItemAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ emptyName)
    Q_PROPERTY(QString IconThemePath READ emptyName)
    Q_PROPERTY(velto::platform::TrayPixmapList IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyName)
    Q_PROPERTY(velto::platform::TrayPixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyName)
    Q_PROPERTY(velto::platform::TrayPixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(velto::platform::TrayToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)
public:
    explicit StatusNotifierItemAdaptor(StatusNotifierItem* item);
    ~StatusNotifierItemAdaptor() override;

    QString id() const;
    QString category() const;
    QString title() const;
    QString status() const;
    int windowId() const { return 0; }
    QString emptyName() const { return {}; }
    TrayPixmapList iconPixmap() const;
    TrayPixmapList noPixmaps() const { return {}; }
    TrayToolTip toolTip() const;
    bool itemIsMenu() const { return false; }
    /// No exported menu: a secondary click or a context-menu request opens the settings.
    QDBusObjectPath menu() const { return QDBusObjectPath(QStringLiteral("/NO_DBUSMENU")); }
    QString label() const;
    QString labelGuide() const;

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

private:
    StatusNotifierItem* m_item;
};

} // namespace velto::platform
