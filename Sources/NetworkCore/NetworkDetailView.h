#pragma once

#include <QColor>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace velto {

class NetworkMetricsSource;

/**
 * The popover's content: a "Network" title, then the download and upload rates, the
 * local and public addresses with a "Refresh public IP" button, and one row per
 * interface in plain character order of the names; "Waiting for data…" until the
 * first snapshot. With lookups off the public address reads "lookup off".
 */
class NetworkDetailView : public QWidget {
    Q_OBJECT
public:
    explicit NetworkDetailView(std::shared_ptr<NetworkMetricsSource> source,
                               QWidget* parent = nullptr);
    ~NetworkDetailView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Line {
        QWidget* row;
        QLabel* value;
    };

    Line rateLine(const QString& symbol, const QColor& color, const QString& label,
                  const QString& name);
    Line infoRow(const QString& label, const QString& name, QWidget* parent);
    void refresh();

    std::shared_ptr<NetworkMetricsSource> m_source;
    QLabel* m_titleIcon;
    // The title symbol is drawn again only for a new colour or pixel ratio.
    QColor m_titleColor;
    qreal m_titleRatio = 0.0;
    QLabel* m_waiting;
    QWidget* m_details;
    QVBoxLayout* m_detailsLayout;
    Line m_download;
    Line m_upload;
    Line m_localIP;
    Line m_publicIP;
    QPushButton* m_refresh;
    QWidget* m_interfaces;
    QVBoxLayout* m_interfacesLayout;
    std::vector<std::string> m_interfaceNames;
    std::vector<Line> m_interfaceRows;
};

} // namespace velto
