#pragma once

#include <QWidget>
#include <memory>

class QLabel;

namespace velto {

class NetworkMetricsSource;

/// The status item's reading: the receive rate under a blue down arrow above the send
/// rate under an orange up arrow. Shows two zero rates until the source has a snapshot.
class NetworkMenuBarView : public QWidget {
    Q_OBJECT
public:
    explicit NetworkMenuBarView(std::shared_ptr<NetworkMetricsSource> source,
                                QWidget* parent = nullptr);
    ~NetworkMenuBarView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct RateRow {
        QLabel* icon;
        QLabel* value;
    };

    RateRow rateRow(const QString& symbol, const QString& name);
    void refresh();

    std::shared_ptr<NetworkMetricsSource> m_source;
    RateRow m_download;
    RateRow m_upload;
    // The arrows' colours are fixed: they are drawn again only for a new pixel ratio.
    qreal m_drawnRatio = 0.0;
};

} // namespace velto
