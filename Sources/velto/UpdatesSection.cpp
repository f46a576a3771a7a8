#include "UpdatesSection.h"

#include "UpdateControls.h"
#include "VersionLine.h"

#include <Platform/MainBundle.h>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace velto {

UpdatesSection::UpdatesSection(UpdateControls& controls, QWidget* parent)
    : QWidget(parent), m_controls(controls),
      m_check(new QPushButton(QStringLiteral("Check for Updates\u2026"), this)),
      m_automatic(new QCheckBox(QStringLiteral("Automatically check for updates"), this)),
      m_version(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_check, 0, Qt::AlignLeft);
    layout->addWidget(m_automatic);
    layout->addWidget(m_version);
    m_version->setForegroundRole(QPalette::PlaceholderText);

    connect(m_check, &QPushButton::clicked, this, [this] { m_controls.checkForUpdates(); });
    connect(m_automatic, &QCheckBox::toggled, this,
            [this](bool enabled) { m_controls.setAutomaticallyChecks(enabled); });
    m_controls.onChange(this, [this] { redraw(); });
    redraw();
}

UpdatesSection::~UpdatesSection() = default;

void UpdatesSection::redraw() {
    m_check->setEnabled(m_controls.canCheckForUpdates());
    {
        const QSignalBlocker quiet(m_automatic);
        m_automatic->setChecked(m_controls.automaticallyChecks());
    }
    const QJsonObject info = platform::MainBundle::infoDictionary();
    m_version->setText(
        VersionLine::text(info.isEmpty() ? std::nullopt : std::optional<QJsonObject>(info)));
}

} // namespace velto
