#pragma once

#include <QColor>
#include <QWidget>
#include <memory>

class QLabel;

namespace velto {

class RAMMetricsSource;

/// The status item's reading: the memorychip symbol and the used share as "%3.0f%%",
/// both in the load colour. Shows 0 % until the source has a snapshot.
class RAMMenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit RAMMenuBarView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent = nullptr);
    ~RAMMenuBarView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    std::shared_ptr<RAMMetricsSource> m_source;
    QLabel* m_icon;
    QLabel* m_value;
    // What the icon and the value were last drawn with: a tick that leaves them
    // alone redraws and relays nothing.
    QColor m_drawnColor;
    qreal m_drawnRatio = 0.0;
};

} // namespace velto
