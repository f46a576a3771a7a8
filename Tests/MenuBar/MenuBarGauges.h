#pragma once

// Stand-ins for the plug-ins' widgets in the menu bar tests: a reading of a
// set width in points, or a text label measured as it renders.

#include <Platform/HostingView.h>
#include <QLabel>
#include <VeltoPluginKit/VeltoWidget.h>
#include <memory>
#include <vector>

namespace velto::test {

/// A reading of a set width in points (fractions included, as text measured
/// with QFontMetricsF has), or of its text's width when the width is 0.
class GaugeReading final : public QLabel, public platform::FittingSizeProvider {
public:
    GaugeReading(const QString& text, double width) : QLabel(text), m_width(width) {}
    QSizeF fittingSize() const override {
        return m_width > 0 ? QSizeF(m_width, 16) : QSizeF(sizeHint());
    }
    void setWidth(double width) {
        m_width = width;
        updateGeometry();
    }

private:
    double m_width;
};

/// A widget that records the intervals it was started with.
class Gauge final : public VeltoWidget {
public:
    Gauge(QString id, QString text, double width)
        : m_id(std::move(id)), m_text(std::move(text)), m_width(width) {}
    QString id() const override { return m_id; }
    QString displayName() const override { return m_id.toUpper(); }
    void start(double interval) override { starts.push_back(interval); }
    void stop() override {}
    std::unique_ptr<QWidget> menuBarView() override {
        auto view = std::make_unique<GaugeReading>(m_text, m_width);
        view->setAlignment(Qt::AlignCenter);
        reading = view.get();
        return view;
    }
    std::unique_ptr<QWidget> detailView() override { return std::make_unique<QLabel>(m_text); }

    std::vector<double> starts;
    /// The last reading made.
    GaugeReading* reading = nullptr;

private:
    QString m_id;
    QString m_text;
    double m_width;
};

inline std::shared_ptr<Gauge> gauge(const char* id, double width = 30, const char* text = "") {
    return std::make_shared<Gauge>(QString::fromLatin1(id), QString::fromUtf8(text), width);
}

} // namespace velto::test
