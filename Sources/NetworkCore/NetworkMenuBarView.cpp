#include "NetworkCore/NetworkMenuBarView.h"

#include "NetworkCore/NetworkGaugeStyle.h"
#include "NetworkCore/NetworkMetricsSource.h"
#include "NetworkCore/RateFormat.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <VeltoPluginKit/SystemSymbol.h>

namespace velto {
namespace {

// Sizes in logical pixels, the unit the menu bar's geometry uses.
constexpr int kFontPixels = 9;
constexpr int kIconFrame = 8;
constexpr int kRowSpacing = 2;

} // namespace

NetworkMenuBarView::NetworkMenuBarView(std::shared_ptr<NetworkMetricsSource> source,
                                       QWidget* parent)
    : QWidget(parent), m_source(std::move(source)) {
    QFont font = this->font();
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_download = rateRow(QStringLiteral("arrow.down"), QStringLiteral("download"));
    m_upload = rateRow(QStringLiteral("arrow.up"), QStringLiteral("upload"));

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

NetworkMenuBarView::~NetworkMenuBarView() = default;

NetworkMenuBarView::RateRow NetworkMenuBarView::rateRow(const QString& symbol,
                                                        const QString& name) {
    auto* row = new QWidget(this);
    row->setObjectName(name);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kRowSpacing);
    RateRow result{new QLabel(row), new QLabel(row)};
    result.icon->setObjectName(QStringLiteral("icon"));
    result.icon->setProperty("symbol", symbol);
    result.icon->setFixedSize(kIconFrame, kIconFrame);
    result.icon->setAlignment(Qt::AlignCenter);
    result.value->setObjectName(QStringLiteral("value"));
    result.value->setFont(NetworkGaugeStyle::rateFont(font(), kFontPixels, QFont::Medium));
    layout->addWidget(result.icon, 0, Qt::AlignVCenter);
    layout->addWidget(result.value, 0, Qt::AlignVCenter);
    static_cast<QVBoxLayout*>(this->layout())->addWidget(row);
    return result;
}

void NetworkMenuBarView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

void NetworkMenuBarView::refresh() {
    const NetworkSnapshot* latest = m_source && m_source->latest() ? &*m_source->latest() : nullptr;
    const double rx = latest ? latest->rxBytesPerSec : 0.0;
    const double tx = latest ? latest->txBytesPerSec : 0.0;
    const qreal ratio = devicePixelRatioF();
    if (ratio != m_drawnRatio) {
        m_download.icon->setPixmap(SystemSymbol::pixmap(QStringLiteral("arrow.down"), kIconFrame,
                                                        NetworkGaugeStyle::downloadColor(), ratio));
        m_upload.icon->setPixmap(SystemSymbol::pixmap(QStringLiteral("arrow.up"), kIconFrame,
                                                      NetworkGaugeStyle::uploadColor(), ratio));
        m_drawnRatio = ratio;
    }
    m_download.value->setText(QString::fromStdString(RateFormat::string(rx)));
    m_upload.value->setText(QString::fromStdString(RateFormat::string(tx)));
}

} // namespace velto
