#include "RAMCore/RAMDetailView.h"

#include "RAMCore/ByteCountFormat.h"
#include "RAMCore/RAMGaugeFormat.h"
#include "RAMCore/RAMMetricsSource.h"

#include <CPUCore/CPUGaugeFormat.h>
#include <CPUCore/UsageBar.h>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <VeltoPluginKit/SystemSymbol.h>

namespace velto {
namespace {

// Sizes in logical pixels.
constexpr int kWidth = 260;
constexpr int kInset = 12;
constexpr int kRowSpacing = 8;
constexpr int kHeadlinePixels = 13;
constexpr int kBodyPixels = 13;
constexpr int kSmallPixels = 11;
constexpr int kTitleIconPixels = 15;
constexpr int kTitleSpacing = 6;
constexpr qreal kDividerAlpha = 0.15;

QFont sized(QFont font, int pixels, QFont::Weight weight) {
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    // Setting even an equal palette resolves it against the parent's again, on every tick.
    if (palette == widget->palette() && palette.resolveMask() == widget->palette().resolveMask()) {
        return;
    }
    widget->setPalette(palette);
}

} // namespace

RAMDetailView::RAMDetailView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_titleIcon(new QLabel), m_waiting(new QLabel),
      m_content(new QWidget), m_bar(new UsageBar), m_used(new QLabel),
      m_divider(new QFrame), m_rows{} {
    setFixedWidth(kWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInset, kInset, kInset, kInset);
    layout->setSpacing(kRowSpacing);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* title = new QWidget;
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(kTitleSpacing);
    auto* titleText = new QLabel(QStringLiteral("Memory"));
    titleText->setObjectName(QStringLiteral("title"));
    titleText->setFont(sized(font(), kHeadlinePixels, QFont::DemiBold));
    m_titleIcon->setFixedSize(kTitleIconPixels, kTitleIconPixels);
    titleLayout->addWidget(m_titleIcon, 0, Qt::AlignVCenter);
    titleLayout->addWidget(titleText, 0, Qt::AlignVCenter);
    titleLayout->addStretch();
    layout->addWidget(title);

    m_waiting->setObjectName(QStringLiteral("waiting"));
    m_waiting->setFont(sized(font(), kBodyPixels, QFont::Normal));
    m_waiting->setText(CPUGaugeFormat::waitingText());
    layout->addWidget(m_waiting);

    // Everything below the title that needs a snapshot, shown and hidden as one.
    m_content->setObjectName(QStringLiteral("content"));
    auto* content = new QVBoxLayout(m_content);
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(kRowSpacing);
    m_bar->setObjectName(QStringLiteral("bar"));
    content->addWidget(m_bar);
    m_used->setObjectName(QStringLiteral("used"));
    m_used->setFont(sized(font(), kSmallPixels, QFont::Normal));
    content->addWidget(m_used);
    m_divider->setObjectName(QStringLiteral("divider"));
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Plain);
    content->addWidget(m_divider);
    layout->addWidget(m_content);

    m_rows = {makeRow(QStringLiteral("wired"), QStringLiteral("Wired")),
              makeRow(QStringLiteral("active"), QStringLiteral("Active")),
              makeRow(QStringLiteral("inactive"), QStringLiteral("Inactive")),
              makeRow(QStringLiteral("compressed"), QStringLiteral("Compressed")),
              makeRow(QStringLiteral("free"), QStringLiteral("Free"))};

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

RAMDetailView::~RAMDetailView() = default;

void RAMDetailView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

RAMDetailView::ByteRow RAMDetailView::makeRow(const QString& name, const QString& caption) {
    auto* row = new QWidget;
    row->setObjectName(name);
    row->setFont(sized(font(), kSmallPixels, QFont::Normal));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    ByteRow labels{new QLabel(caption), new QLabel};
    labels.caption->setObjectName(QStringLiteral("caption"));
    labels.caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    labels.value->setObjectName(QStringLiteral("value"));
    labels.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(labels.caption, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    layout->addWidget(labels.value, 0, Qt::AlignVCenter);
    m_content->layout()->addWidget(row);
    return labels;
}

void RAMDetailView::refresh() {
    const QColor primary = palette().color(QPalette::WindowText);
    const qreal ratio = devicePixelRatioF();
    if (primary != m_titleColor || ratio != m_titleRatio) {
        m_titleIcon->setPixmap(
            SystemSymbol::pixmap(QStringLiteral("memorychip"), kTitleIconPixels, primary, ratio));
        m_titleColor = primary;
        m_titleRatio = ratio;
    }
    QColor divider = primary;
    divider.setAlphaF(kDividerAlpha);
    setTextColor(m_divider, divider);

    const RAMSnapshot* snapshot = m_source && m_source->latest() ? &*m_source->latest() : nullptr;
    m_waiting->setVisible(snapshot == nullptr);
    setTextColor(m_waiting, palette().color(QPalette::PlaceholderText));
    m_content->setVisible(snapshot != nullptr);
    if (!snapshot) {
        return;
    }

    // With no total the fraction is 0, which is also the primary colour's band.
    const double used = snapshot->usedFraction();
    m_bar->setValue(used);
    m_bar->setTint(CPUGaugeFormat::loadColor(CPUGaugeFormat::loadLevel(used), primary));
    m_used->setText(RAMGaugeFormat::used(used));
    const std::uint64_t bytes[] = {snapshot->wiredBytes, snapshot->activeBytes,
                                   snapshot->inactiveBytes, snapshot->compressedBytes,
                                   snapshot->freeBytes};
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].value->setText(ByteCountFormat::memory(bytes[i]));
    }
}

} // namespace velto
