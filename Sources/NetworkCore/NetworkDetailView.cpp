#include "NetworkCore/NetworkDetailView.h"

#include "NetworkCore/NetworkGaugeStyle.h"
#include "NetworkCore/NetworkMetricsSource.h"
#include "NetworkCore/RateFormat.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <VeltoPluginKit/SystemSymbol.h>

namespace velto {
namespace {

// Sizes in logical pixels.
constexpr int kWidth = 260;
constexpr int kInset = 12;
constexpr int kSpacing = 8;
constexpr int kRowSpacing = 6;
constexpr int kHeadlinePixels = 13;
constexpr int kBodyPixels = 11;
constexpr int kSmallControlPixels = 10;
constexpr int kTitleIconPixels = 15;
constexpr int kRateIconFrame = 12;
constexpr int kRateIconPixels = 11;

QString localized(const char* key) {
    return QCoreApplication::translate("NetworkGauge", key);
}

QFont sized(QFont font, int pixels, QFont::Weight weight) {
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

void setTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    // Setting even an equal palette resolves it against the parent's again, on every tick.
    if (palette == label->palette() && palette.resolveMask() == label->palette().resolveMask()) {
        return;
    }
    label->setPalette(palette);
}

QString rateText(double bytesPerSecond) {
    return QString::fromStdString(RateFormat::string(bytesPerSecond));
}

QString addressText(const std::optional<std::string>& address) {
    return address ? QString::fromStdString(*address) : QStringLiteral("unavailable");
}

} // namespace

NetworkDetailView::NetworkDetailView(std::shared_ptr<NetworkMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_titleIcon(new QLabel), m_waiting(new QLabel),
      m_details(new QWidget), m_detailsLayout(new QVBoxLayout(m_details)) {
    setFixedWidth(kWidth);
    setFont(sized(font(), kBodyPixels, QFont::Normal));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInset, kInset, kInset, kInset);
    layout->setSpacing(kSpacing);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* title = new QWidget;
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(kRowSpacing);
    auto* titleText = new QLabel(localized("Network"));
    titleText->setObjectName(QStringLiteral("title"));
    titleText->setFont(sized(font(), kHeadlinePixels, QFont::DemiBold));
    m_titleIcon->setFixedSize(kTitleIconPixels, kTitleIconPixels);
    titleLayout->addWidget(m_titleIcon, 0, Qt::AlignVCenter);
    titleLayout->addWidget(titleText, 0, Qt::AlignVCenter);
    titleLayout->addStretch();
    layout->addWidget(title);

    m_waiting->setObjectName(QStringLiteral("waiting"));
    m_waiting->setText(localized("Waiting for data\u2026"));
    layout->addWidget(m_waiting);

    m_details->setObjectName(QStringLiteral("details"));
    m_detailsLayout->setContentsMargins(0, 0, 0, 0);
    m_detailsLayout->setSpacing(kSpacing);
    layout->addWidget(m_details);

    m_download = rateLine(QStringLiteral("arrow.down"), NetworkGaugeStyle::downloadColor(),
                          QStringLiteral("Download"), QStringLiteral("download"));
    m_upload = rateLine(QStringLiteral("arrow.up"), NetworkGaugeStyle::uploadColor(),
                        QStringLiteral("Upload"), QStringLiteral("upload"));
    auto* divider = new QFrame;
    divider->setObjectName(QStringLiteral("divider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    m_detailsLayout->addWidget(divider);
    m_localIP = infoRow(QStringLiteral("Local IP"), QStringLiteral("localIP"), m_details);
    m_publicIP = infoRow(QStringLiteral("Public IP"), QStringLiteral("publicIP"), m_details);

    m_refresh = new QPushButton(localized("Refresh public IP"));
    m_refresh->setObjectName(QStringLiteral("refresh"));
    m_refresh->setFont(sized(font(), kSmallControlPixels, QFont::Normal));
    m_refresh->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_refresh, &QPushButton::clicked, this, [this] {
        if (m_source) {
            m_source->refreshPublicIPNow();
        }
    });
    m_detailsLayout->addWidget(m_refresh, 0, Qt::AlignLeft);

    m_interfaces = new QWidget;
    m_interfaces->setObjectName(QStringLiteral("interfaces"));
    m_interfacesLayout = new QVBoxLayout(m_interfaces);
    m_interfacesLayout->setContentsMargins(0, 0, 0, 0);
    m_interfacesLayout->setSpacing(kSpacing);
    m_detailsLayout->addWidget(m_interfaces);

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

NetworkDetailView::~NetworkDetailView() = default;

void NetworkDetailView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

NetworkDetailView::Line NetworkDetailView::rateLine(const QString& symbol, const QColor& color,
                                                    const QString& label, const QString& name) {
    auto* row = new QWidget;
    row->setObjectName(name);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kRowSpacing);
    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("icon"));
    icon->setFixedSize(kRateIconFrame, kRateIconFrame);
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(SystemSymbol::pixmap(symbol, kRateIconPixels, color, devicePixelRatioF()));
    auto* text = new QLabel(label);
    text->setObjectName(QStringLiteral("label"));
    auto* value = new QLabel;
    value->setObjectName(QStringLiteral("value"));
    value->setFont(NetworkGaugeStyle::rateFont(font(), kBodyPixels, QFont::Normal));
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addWidget(text, 0, Qt::AlignVCenter);
    layout->addStretch();
    layout->addWidget(value, 0, Qt::AlignVCenter);
    m_detailsLayout->addWidget(row);
    return {row, value};
}

NetworkDetailView::Line NetworkDetailView::infoRow(const QString& label, const QString& name,
                                                   QWidget* parent) {
    auto* row = new QWidget(parent);
    row->setObjectName(name);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kRowSpacing);
    auto* text = new QLabel(label);
    text->setObjectName(QStringLiteral("label"));
    setTextColor(text, palette().color(QPalette::PlaceholderText));
    auto* value = new QLabel;
    value->setObjectName(QStringLiteral("value"));
    value->setFont(NetworkGaugeStyle::rateFont(font(), kBodyPixels, QFont::Normal));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text, 0, Qt::AlignVCenter);
    layout->addStretch();
    layout->addWidget(value, 0, Qt::AlignVCenter);
    if (parent == m_details) {
        m_detailsLayout->addWidget(row);
    } else {
        m_interfacesLayout->addWidget(row);
    }
    return {row, value};
}

void NetworkDetailView::refresh() {
    const QColor primary = palette().color(QPalette::WindowText);
    const qreal ratio = devicePixelRatioF();
    if (primary != m_titleColor || ratio != m_titleRatio) {
        m_titleIcon->setPixmap(
            SystemSymbol::pixmap(QStringLiteral("network"), kTitleIconPixels, primary, ratio));
        m_titleColor = primary;
        m_titleRatio = ratio;
    }
    setTextColor(m_waiting, palette().color(QPalette::PlaceholderText));

    const NetworkSnapshot* snapshot =
        m_source && m_source->latest() ? &*m_source->latest() : nullptr;
    m_waiting->setVisible(snapshot == nullptr);
    m_details->setVisible(snapshot != nullptr);
    if (!snapshot) {
        return;
    }

    m_download.value->setText(rateText(snapshot->rxBytesPerSec));
    m_upload.value->setText(rateText(snapshot->txBytesPerSec));
    m_localIP.value->setText(addressText(snapshot->localIPv4));
    const bool lookupOn = m_source->publicIPLookupEnabled();
    m_publicIP.value->setText(lookupOn ? addressText(snapshot->publicIP)
                                       : QStringLiteral("lookup off"));
    m_refresh->setVisible(lookupOn);

    // std::map keeps the names in plain byte order, which for interface names (ASCII)
    // is character order: "eth10" before "eth2". Rows are rebuilt only when the set of
    // names changes.
    std::vector<std::string> names;
    names.reserve(snapshot->perInterface.size());
    for (const auto& entry : snapshot->perInterface) {
        names.push_back(entry.first);
    }
    if (names != m_interfaceNames) {
        for (const Line& line : m_interfaceRows) {
            delete line.row;
        }
        m_interfaceRows.clear();
        for (const std::string& name : names) {
            Line line =
                infoRow(QString::fromStdString(name),
                        QStringLiteral("interface:") + QString::fromStdString(name), m_interfaces);
            m_interfaceRows.push_back(line);
        }
        m_interfaceNames = std::move(names);
    }
    std::size_t index = 0;
    for (const auto& entry : snapshot->perInterface) {
        m_interfaceRows[index++].value->setText(rateText(entry.second));
    }
    m_interfaces->setVisible(!m_interfaceRows.empty());
}

} // namespace velto
