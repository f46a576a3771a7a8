#pragma once

#include <QColor>
#include <QWidget>
#include <memory>

class QLabel;

namespace velto {

class CPUMetricsSource;

/// The status item's reading: the cpu symbol and the total load as "%3.0f%%", both in
/// the load colour. Shows 0 % until the source has a snapshot.
class CPUMenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit CPUMenuBarView(std::shared_ptr<CPUMetricsSource> source, QWidget* parent = nullptr);
    ~CPUMenuBarView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    std::shared_ptr<CPUMetricsSource> m_source;
    QLabel* m_icon;
    QLabel* m_value;
    // What the icon and the value were last drawn with: a tick that leaves them
    // alone redraws and relays nothing.
    QColor m_drawnColor;
    qreal m_drawnRatio = 0.0;
};

} // namespace velto
