#include "Platform/TrayStatusItem.h"

#include "Platform/OwnStatusBarButton.h"
#include "Platform/OwnStatusItem.h"
#include "Platform/StatusNotifierItem.h"
#include "Platform/TrayIconRenderer.h"
#include "Platform/TrayLabel.h"
#include "Platform/TrayStatusBar.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace velto::platform {

namespace {

const QString kAppTitle = QStringLiteral("velto");

// The name an item goes by: the tool tip of its one reading. The gear, and
// the combined item with several readings, go by the application's name.
QString nameShownIn(const OwnStatusBarButton& button) {
    QString name;
    int readings = 0;
    for (const QWidget* subview : button.subviews()) {
        if (!subview || subview->isHidden() || subview->toolTip().isEmpty())
            continue;
        name = subview->toolTip();
        ++readings;
    }
    return readings == 1 ? name : QString();
}

} // namespace

TrayStatusItem::TrayStatusItem(TrayStatusBar& bar, OwnStatusItem& ownItem, int number)
    : m_bar(bar), m_ownItem(ownItem), m_figureSquares(bar.glyphMasks()), m_number(number) {
    m_ownItem.ownButton().installEventFilter(this);
}

TrayStatusItem::~TrayStatusItem() {
    m_ownItem.ownButton().removeEventFilter(this);
}

QString TrayStatusItem::autosaveName() const {
    return m_ownItem.autosaveName();
}

void TrayStatusItem::setAutosaveName(const QString& name) {
    m_ownItem.setAutosaveName(name);
    if (m_exported)
        m_exported->setId(name);
}

bool TrayStatusItem::isVisible() const {
    return m_ownItem.isVisible();
}

void TrayStatusItem::setVisible(bool visible) {
    m_ownItem.setVisible(visible);
    scheduleSync();
}

double TrayStatusItem::length() const {
    return m_ownItem.length();
}

void TrayStatusItem::setLength(double length) {
    m_ownItem.setLength(length);
}

StatusBarButton* TrayStatusItem::button() {
    return m_ownItem.button();
}

std::optional<QRectF> TrayStatusItem::frame() const {
    return m_ownItem.frame();
}

void TrayStatusItem::exportToTray() {
    if (!m_exported) {
        const QPointer<TrayStatusItem> self(this);
        StatusNotifierItem::Requests requests;
        requests.activate = [self](int x, int y) {
            if (self)
                self->m_bar.activate(*self, x, y);
        };
        requests.secondaryActivate = [self](int x, int y) {
            if (self)
                self->m_bar.activateSecondary(*self, x, y);
        };
        requests.contextMenu = requests.secondaryActivate;
        m_exported = std::make_unique<StatusNotifierItem>(m_number, std::move(requests));
        m_exported->setId(autosaveName());
    }
    syncNow();
}

void TrayStatusItem::scheduleSync() {
    if (m_syncScheduled || !m_exported || !m_bar.isInTray())
        return;
    m_syncScheduled = true;
    QTimer::singleShot(0, this, [this] { syncNow(); });
}

void TrayStatusItem::syncNow() {
    m_syncScheduled = false;
    if (!m_exported || !m_bar.isInTray())
        return;
    OwnStatusBarButton& button = m_ownItem.ownButton();
    const bool visible = m_ownItem.isVisible();
    const bool hasReading = !button.subviews().empty();
    m_exported->setCategory(hasReading || button.title().isEmpty()
                                ? QStringLiteral("Hardware")
                                : QStringLiteral("SystemServices"));
    m_exported->setStatus(visible ? QStringLiteral("Active") : QStringLiteral("Passive"));
    // A hidden item keeps what it showed last; it is drawn again once shown.
    if (!visible || button.width() <= 0 || button.height() <= 0)
        return;

    m_rendering = true;
    const TrayIconRenderer::ShownText shown = TrayIconRenderer::ShownText::of(button);
    const TrayPixmapList pixmaps =
        TrayIconRenderer::pixmaps(button, shown, m_figureSquares, m_recentPixmaps);
    m_rendering = false;
    const QString label = TrayLabel::text(shown.texts);
    m_labelGuide = TrayLabel::guide(label, m_labelGuide);
    const QString name = nameShownIn(button);
    const QString title = name.isEmpty() ? kAppTitle : name;

    m_exported->setTitle(title);
    m_exported->setIcon(pixmaps);
    m_exported->setLabel(label, m_labelGuide);
    m_exported->setToolTip(TrayToolTip{{}, {}, title, label});
}

bool TrayStatusItem::eventFilter(QObject* watched, QEvent* event) {
    // Whatever is drawn inside the button is drawn over it too, so its paint
    // events tell of every change; those of our own rendering do not count.
    if (watched == &m_ownItem.ownButton() && event->type() == QEvent::Paint && !m_rendering)
        scheduleSync();
    return QObject::eventFilter(watched, event);
}

} // namespace velto::platform
