#pragma once

#include <QWidget>
#include <memory>

class QLabel;

namespace velto {

class GPUGlyph;
class GPUMetricsSource;

/// The status item's reading: the GPU glyph and the utilization as "%3.0f%%", or a
/// dash in the figure's place while no value is reported. No load colour: both are
/// drawn in the foreground colour.
class GPUMenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit GPUMenuBarView(std::shared_ptr<GPUMetricsSource> source, QWidget* parent = nullptr);
    ~GPUMenuBarView() override;

private:
    void refresh();

    std::shared_ptr<GPUMetricsSource> m_source;
    GPUGlyph* m_icon;
    QLabel* m_value;
};

} // namespace velto
