#include "CPUCore/CPUDetailView.h"

#include "CPUCore/CPUGaugeFormat.h"
#include "CPUCore/CPUMetricsSource.h"
#include "CPUCore/UsageBar.h"

#include <QEvent>
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
constexpr int kCoreFontPixels = 11;
constexpr int kTitleIconPixels = 15;
constexpr int kTitleSpacing = 6;
constexpr int kCoreLabelWidth = 52;
constexpr int kCoreValueWidth = 36;

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

} // namespace

CPUDetailView::CPUDetailView(std::shared_ptr<CPUMetricsSource> source, QWidget* parent)
    : QWidget(parent), m_source(std::move(source)), m_titleIcon(new QLabel), m_waiting(new QLabel),
      m_total(new QLabel), m_cores(new QWidget), m_coresLayout(new QVBoxLayout(m_cores)) {
    setFixedWidth(kWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInset, kInset, kInset, kInset);
    layout->setSpacing(kRowSpacing);
    layout->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* title = new QWidget;
    auto* titleLayout = new QHBoxLayout(title);
    titleLayout->setContentsMargins(0, 0, 0, 0);
    titleLayout->setSpacing(kTitleSpacing);
    const QFont headline = sized(font(), kHeadlinePixels, QFont::DemiBold);
    auto* titleText = new QLabel(QStringLiteral("CPU"));
    titleText->setObjectName(QStringLiteral("title"));
    titleText->setFont(headline);
    m_titleIcon->setFixedSize(kTitleIconPixels, kTitleIconPixels);
    titleLayout->addWidget(m_titleIcon, 0, Qt::AlignVCenter);
    titleLayout->addWidget(titleText, 0, Qt::AlignVCenter);
    titleLayout->addStretch();
    layout->addWidget(title);

    const QFont body = sized(font(), kBodyPixels, QFont::Normal);
    m_waiting->setObjectName(QStringLiteral("waiting"));
    m_waiting->setFont(body);
    m_waiting->setText(CPUGaugeFormat::waitingText());
    layout->addWidget(m_waiting);

    // DejaVu Sans and the common UI fonts draw their digits at one width, which keeps
    // the figures from jittering as they change.
    m_total->setObjectName(QStringLiteral("total"));
    m_total->setFont(body);
    layout->addWidget(m_total);

    m_cores->setObjectName(QStringLiteral("cores"));
    m_coresLayout->setContentsMargins(0, 0, 0, 0);
    m_coresLayout->setSpacing(kRowSpacing);
    layout->addWidget(m_cores);

    if (m_source) {
        m_source->onChange(this, [this] { refresh(); });
    }
    refresh();
}

CPUDetailView::~CPUDetailView() = default;

void CPUDetailView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        refresh();
    }
}

CPUDetailView::CoreRow CPUDetailView::makeCoreRow(std::size_t index) {
    CoreRow row{new QWidget, new QLabel, new UsageBar, new QLabel};
    row.row->setObjectName(QStringLiteral("core%1").arg(index));
    row.row->setFont(sized(font(), kCoreFontPixels, QFont::Normal));
    auto* layout = new QHBoxLayout(row.row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kRowSpacing);

    row.label->setObjectName(QStringLiteral("label"));
    row.label->setText(CPUGaugeFormat::coreLabel(index));
    row.label->setFixedWidth(kCoreLabelWidth);
    row.label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    row.bar->setObjectName(QStringLiteral("bar"));
    row.value->setObjectName(QStringLiteral("value"));
    row.value->setFixedWidth(kCoreValueWidth);
    row.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    layout->addWidget(row.label, 0, Qt::AlignVCenter);
    layout->addWidget(row.bar, 1, Qt::AlignVCenter);
    layout->addWidget(row.value, 0, Qt::AlignVCenter);
    m_coresLayout->addWidget(row.row);
    return row;
}

void CPUDetailView::refresh() {
    const QColor primary = palette().color(QPalette::WindowText);
    const qreal ratio = devicePixelRatioF();
    if (primary != m_titleColor || ratio != m_titleRatio) {
        m_titleIcon->setPixmap(
            SystemSymbol::pixmap(QStringLiteral("cpu"), kTitleIconPixels, primary, ratio));
        m_titleColor = primary;
        m_titleRatio = ratio;
    }

    const CPUSnapshot* snapshot = m_source && m_source->latest() ? &*m_source->latest() : nullptr;
    m_waiting->setVisible(snapshot == nullptr);
    setTextColor(m_waiting, palette().color(QPalette::PlaceholderText));
    m_total->setVisible(snapshot != nullptr);
    m_cores->setVisible(snapshot != nullptr && !snapshot->perCoreUsage.empty());
    if (!snapshot) {
        return;
    }

    m_total->setText(CPUGaugeFormat::total(snapshot->totalUsage));
    const std::vector<double>& usage = snapshot->perCoreUsage;
    // Rows are keyed by position: a changed processor count adds or drops rows at the end.
    while (m_rows.size() > usage.size()) {
        delete m_rows.back().row;
        m_rows.pop_back();
    }
    while (m_rows.size() < usage.size()) {
        m_rows.push_back(makeCoreRow(m_rows.size()));
    }
    for (std::size_t i = 0; i < usage.size(); ++i) {
        const QColor color =
            CPUGaugeFormat::loadColor(CPUGaugeFormat::loadLevel(usage[i]), primary);
        m_rows[i].bar->setValue(usage[i]);
        m_rows[i].bar->setTint(color);
        m_rows[i].value->setText(CPUGaugeFormat::percent(usage[i]));
    }
}

} // namespace velto
