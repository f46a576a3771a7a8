#pragma once

#include <QWidget>

class QLabel;
class QListWidget;

namespace velto {

class PluginLoader;

/**
 * The settings window's "Diagnostics" tab: why each skipped plug-in bundle was
 * not loaded, one row per message in the loader's order, or one sentence when
 * there is nothing to report. Follows the loader while it is shown.
 */
class DiagnosticsView : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kNoIssuesText =
        "No issues \u2014 every plugin found loaded successfully.";

    explicit DiagnosticsView(PluginLoader& loader, QWidget* parent = nullptr);
    ~DiagnosticsView() override;

    /// The rows shown now, top to bottom; empty while the sentence is shown.
    QStringList rows() const;

private:
    void redraw();

    PluginLoader& m_loader;
    QLabel* m_noIssues;
    QListWidget* m_list;
};

} // namespace velto
