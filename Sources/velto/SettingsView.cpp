#include "SettingsView.h"

#include "DiagnosticsView.h"
#include "SettingsStore.h"
#include "UpdatesSection.h"

#include <Platform/Application.h>
#include <QCheckBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace velto {

namespace {

/// A localisable text: the translation when one is installed, else the text itself.
QString localized(const char* text) {
    return QCoreApplication::translate("SettingsView", text);
}

void setCheckedQuietly(QCheckBox* box, bool checked) {
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

} // namespace

SettingsView::SettingsView(SettingsStore& settings, WidgetList widgets, PluginLoader& loader,
                           UpdateControls* updateControls, std::function<void()> onToggle,
                           QWidget* parent)
    : QTabWidget(parent), m_settings(settings), m_widgets(std::move(widgets)),
      m_onToggle(std::move(onToggle)) {
    addTab(makeSettingsTab(updateControls), localized("Settings"));
    addTab(new DiagnosticsView(loader, this), localized("Diagnostics"));
    m_settings.onChange(this, [this] { redraw(); });
    redraw();
}

SettingsView::~SettingsView() = default;

QString SettingsView::refreshLabel(double seconds) {
    return QString::asprintf("Refresh every %.1fs", seconds);
}

double SettingsView::steppedInterval(double current, int direction) {
    if (!std::isfinite(current))
        return current;
    const double next = current + (direction > 0 ? kIntervalStep : -kIntervalStep);
    // At a bound the step does nothing; a value beyond the bounds moves inside them.
    if (direction > 0 && current >= kMaximumInterval)
        return current;
    if (direction < 0 && current <= kMinimumInterval)
        return current;
    return std::clamp(next, kMinimumInterval, kMaximumInterval);
}

QCheckBox* SettingsView::widgetSwitch(const QString& id) const {
    const auto found = std::find_if(m_widgetSwitches.begin(), m_widgetSwitches.end(),
                                    [&](const QCheckBox* box) { return box->objectName() == id; });
    return found == m_widgetSwitches.end() ? nullptr : *found;
}

QWidget* SettingsView::makeSettingsTab(UpdateControls* updateControls) {
    auto* tab = new QWidget(this);
    auto* form = new QVBoxLayout(tab);
    form->setAlignment(Qt::AlignTop);

    for (const auto& widget : m_widgets) {
        auto* box = new QCheckBox(widget->displayName(), tab);
        const QString id = widget->id();
        box->setObjectName(id);
        connect(box, &QCheckBox::toggled, this, [this, id](bool enabled) {
            m_settings.setEnabled(enabled, id);
            if (m_onToggle)
                m_onToggle();
        });
        m_widgetSwitches.push_back(box);
        form->addWidget(box);
    }

    auto* stepper = new QHBoxLayout;
    m_refreshLabel = new QLabel(tab);
    m_decrease = new QToolButton(tab);
    m_decrease->setText(QStringLiteral("\u2212"));
    m_decrease->setAccessibleName(QStringLiteral("Decrement"));
    m_increase = new QToolButton(tab);
    m_increase->setText(QStringLiteral("+"));
    m_increase->setAccessibleName(QStringLiteral("Increment"));
    stepper->addWidget(m_refreshLabel);
    stepper->addStretch();
    stepper->addWidget(m_decrease);
    stepper->addWidget(m_increase);
    form->addLayout(stepper);
    connect(m_decrease, &QToolButton::clicked, this, [this] { step(-1); });
    connect(m_increase, &QToolButton::clicked, this, [this] { step(+1); });

    m_launchAtLogin = new QCheckBox(localized("Launch at login"), tab);
    connect(m_launchAtLogin, &QCheckBox::toggled, this,
            [this](bool enabled) { m_settings.setLaunchAtLoginEnabled(enabled); });
    form->addWidget(m_launchAtLogin);

    m_publicIP = new QCheckBox(localized("Look up public IP"), tab);
    connect(m_publicIP, &QCheckBox::toggled, this, [this](bool enabled) {
        m_settings.setPublicIPLookupEnabled(enabled);
        if (m_onToggle)
            m_onToggle();
    });
    form->addWidget(m_publicIP);

    m_compact = new QCheckBox(localized("Compact menu bar"), tab);
    connect(m_compact, &QCheckBox::toggled, this, [this](bool enabled) {
        m_settings.setCompactMenuBar(enabled);
        if (m_onToggle)
            m_onToggle();
    });
    form->addWidget(m_compact);

    auto* help = new QLabel(
        localized("One tightly spaced item. Turns on by itself only if macOS hides indicators "
                  "behind the notch and no external display is connected."),
        tab);
    help->setWordWrap(true);
    help->setForegroundRole(QPalette::PlaceholderText);
    QFont caption = help->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    help->setFont(caption);
    form->addWidget(help);

    if (updateControls)
        form->addWidget(new UpdatesSection(*updateControls, tab));

    auto* quit = new QPushButton(localized("Quit velto"), tab);
    connect(quit, &QPushButton::clicked, this, [] { platform::Application::terminate(0); });
    form->addWidget(quit, 0, Qt::AlignLeft);
    return tab;
}

void SettingsView::step(int direction) {
    const double current = m_settings.refreshInterval();
    const double next = steppedInterval(current, direction);
    if (next == current)
        return;
    m_settings.setRefreshInterval(next);
    if (m_onToggle)
        m_onToggle();
}

void SettingsView::redraw() {
    for (std::size_t i = 0; i < m_widgetSwitches.size(); ++i)
        setCheckedQuietly(m_widgetSwitches[i], m_settings.isEnabled(m_widgets[i]->id()));
    const double interval = m_settings.refreshInterval();
    m_refreshLabel->setText(refreshLabel(interval));
    m_decrease->setEnabled(interval > kMinimumInterval);
    m_increase->setEnabled(interval < kMaximumInterval);
    setCheckedQuietly(m_launchAtLogin, m_settings.launchAtLoginEnabled());
    setCheckedQuietly(m_publicIP, m_settings.publicIPLookupEnabled());
    setCheckedQuietly(m_compact, m_settings.compactMenuBar());
}

} // namespace velto
