#include "GPUCore/GPUDetailView.h"

#include "GPUCore/GPUGaugeFormat.h"
#include "GPUCore/GPUGlyph.h"
#include "GPUCore/GPUMetricsSource.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace velto {
namespace {

// Sizes in logical pixels.
constexpr int kWidth = 260;
constexpr int kInset = 12;
constexpr int kRowSpacing = 8;
constexpr int kHeadlinePixels = 13;
constexpr int kBodyPixels = 13;
constexpr int kCaptionPixels = 10;
constexpr int kTitleIconPixels = 15;
constexpr int kTitleSpacing = 4;

QFont sized(QFont font, int pixels, QFont::Weight weight) {
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

} // namespace

GPUDetailView::GPUDetailView(std::shared_ptr<GPUMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_utilization(new QLabel),
      m_notReported(new QLabel), m_explanation(new QLabel) {
    setFixedWidth(kWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInset, kInset, kInset, kInset);
    layout->setSpacing(kRowSpacing);

    auto* title = new QWidget;
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(kTitleSpacing);
    auto* titleIcon = new GPUGlyph;
    titleIcon->setObjectName(QStringLiteral("icon"));
    titleIcon->setFixedSize(kTitleIconPixels, kTitleIconPixels);
    auto* titleText = new QLabel(QStringLiteral("GPU"));
    titleText->setObjectName(QStringLiteral("title"));
    titleText->setFont(sized(font(), kHeadlinePixels, QFont::DemiBold));
    titleLayout->addWidget(titleIcon, 0, Qt::AlignVCenter);
    titleLayout->addWidget(titleText, 0, Qt::AlignVCenter);
    titleLayout->addStretch();
    layout->addWidget(title);

    const QFont body = sized(font(), kBodyPixels, QFont::Normal);
    m_utilization->setObjectName(QStringLiteral("utilization"));
    m_utilization->setFont(body);
    layout->addWidget(m_utilization, 0, Qt::AlignLeft);

    m_notReported->setObjectName(QStringLiteral("notReported"));
    m_notReported->setFont(body);
    m_notReported->setText(GPUGaugeFormat::notReportedText());
    layout->addWidget(m_notReported, 0, Qt::AlignLeft);

    // Added without an alignment so that it takes the full width and wraps within it.
    m_explanation->setObjectName(QStringLiteral("explanation"));
    m_explanation->setFont(sized(font(), kCaptionPixels, QFont::Normal));
    m_explanation->setWordWrap(true);
    m_explanation->setText(GPUGaugeFormat::notReportedExplanation());
    layout->addWidget(m_explanation);
    // Rows keep to the top in a frame taller than they need. A layout alignment would
    // do that too, but it sizes the rows without the caption's wrapping.
    layout->addStretch();

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

GPUDetailView::~GPUDetailView() = default;

QSize GPUDetailView::sizeHint() const {
    // QWidget's own hint ignores that the caption gets taller as it wraps; the layout
    // answers -1 while the caption is hidden and nothing else wraps.
    const int height = layout()->heightForWidth(kWidth);
    return {kWidth, height >= 0 ? height : layout()->sizeHint().height()};
}

QSize GPUDetailView::minimumSizeHint() const {
    return sizeHint();
}

void GPUDetailView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

void GPUDetailView::refresh() {
    QPalette secondary = m_explanation->palette();
    secondary.setColor(QPalette::WindowText, palette().color(QPalette::PlaceholderText));
    if (secondary != m_explanation->palette() ||
        secondary.resolveMask() != m_explanation->palette().resolveMask()) {
        m_explanation->setPalette(secondary);
    }

    const std::optional<double> fraction =
        m_source && m_source->latest() ? m_source->latest()->utilization : std::nullopt;
    m_utilization->setVisible(fraction.has_value());
    m_notReported->setVisible(!fraction);
    m_explanation->setVisible(!fraction);
    if (fraction) {
        m_utilization->setText(GPUGaugeFormat::utilizationText(*fraction));
    }
}

} // namespace velto
