#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace velto {

class UpdateControls;

/**
 * The settings form's updates rows: "Check for Updates…" (disabled while the
 * updater cannot check), "Automatically check for updates", and the version
 * line. Holds no state: every redraw reads the controls and the Info dictionary.
 */
class UpdatesSection : public QWidget {
    Q_OBJECT
public:
    explicit UpdatesSection(UpdateControls& controls, QWidget* parent = nullptr);
    ~UpdatesSection() override;

    QPushButton* checkButton() const { return m_check; }
    QCheckBox* automaticToggle() const { return m_automatic; }
    QLabel* versionLabel() const { return m_version; }

private:
    void redraw();

    UpdateControls& m_controls;
    QPushButton* m_check;
    QCheckBox* m_automatic;
    QLabel* m_version;
};

} // namespace velto
