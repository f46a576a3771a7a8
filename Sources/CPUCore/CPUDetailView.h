#pragma once

#include <QColor>
#include <QWidget>
#include <memory>
#include <vector>

class QLabel;
class QVBoxLayout;

namespace velto {

class CPUMetricsSource;
class UsageBar;

/// The popover's content: a "CPU" title, then the total load and one row per processor
/// with its bar and percentage, or "Waiting for data…" until the first snapshot.
class CPUDetailView : public QWidget {
    Q_OBJECT
public:
    explicit CPUDetailView(std::shared_ptr<CPUMetricsSource> source, QWidget* parent = nullptr);
    ~CPUDetailView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct CoreRow {
        QWidget* row;
        QLabel* label;
        UsageBar* bar;
        QLabel* value;
    };

    void refresh();
    CoreRow makeCoreRow(std::size_t index);

    std::shared_ptr<CPUMetricsSource> m_source;
    QLabel* m_titleIcon;
    // The title symbol is drawn again only for a new colour or pixel ratio.
    QColor m_titleColor;
    qreal m_titleRatio = 0.0;
    QLabel* m_waiting;
    QLabel* m_total;
    QWidget* m_cores;
    QVBoxLayout* m_coresLayout;
    std::vector<CoreRow> m_rows;
};

} // namespace velto
