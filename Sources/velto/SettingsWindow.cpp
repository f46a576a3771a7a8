#include "SettingsWindow.h"

#include <Platform/ScreenCoordinates.h>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace velto {

namespace {

QRectF primaryGeometry() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QRectF(primary->geometry()) : QRectF();
}

} // namespace

SettingsWindow::SettingsWindow(std::unique_ptr<QWidget> content)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("velto Settings"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setContentView(std::move(content));
    // With its platform window made, the frame includes the title bar and
    // borders before the first show, so the first placement measures them too.
    create();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::setContentView(std::unique_ptr<QWidget> content) {
    if (m_content) {
        layout()->removeWidget(m_content);
        delete m_content;
        m_content = nullptr;
    }
    if (content) {
        m_content = content.release();
        layout()->addWidget(m_content);
    }
    fitToContent();
}

void SettingsWindow::fitToContent() {
    QSize size(kWidth, kHeight);
    if (m_content) {
        // Size hints are final only once the style has polished the content.
        ensurePolished();
        layout()->activate();
        size = size.expandedTo(layout()->totalSizeHint()).expandedTo(layout()->totalMinimumSize());
    }
    setFixedSize(size);
}

QRectF SettingsWindow::frameRect() const {
    return platform::ScreenCoordinates::fromQt(QRectF(frameGeometry()), primaryGeometry());
}

void SettingsWindow::setFrameOrigin(QPointF origin) {
    const QPointF topLeft = platform::ScreenCoordinates::topLeftForOrigin(
        origin, frameGeometry().height(), primaryGeometry());
    move(topLeft.toPoint());
}

void SettingsWindow::center() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(primary->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace velto
