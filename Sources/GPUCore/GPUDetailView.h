#pragma once

#include <QWidget>
#include <memory>

class QLabel;

namespace velto {

class GPUMetricsSource;

/// The popover's content: a "GPU" title with the glyph, then the utilization, or the
/// not-reported line and its explanation while no value is reported (also before the
/// first reading: the GPU view has no waiting text).
class GPUDetailView : public QWidget {
    Q_OBJECT
public:
    explicit GPUDetailView(std::shared_ptr<GPUMetricsSource> source, QWidget* parent = nullptr);
    ~GPUDetailView() override;

    /// 260 wide, and as tall as the rows need at that width with the caption wrapped.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    std::shared_ptr<GPUMetricsSource> m_source;
    QLabel* m_utilization;
    QLabel* m_notReported;
    QLabel* m_explanation;
};

} // namespace velto
