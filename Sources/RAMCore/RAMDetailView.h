#pragma once

#include <QColor>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class QFrame;
class QLabel;

namespace velto {

class RAMMetricsSource;
class UsageBar;

/// The popover's content: a "Memory" title, then the used share as a bar and a line,
/// and the wired, active, inactive, compressed and free sizes, or "Waiting for data…"
/// until the first snapshot.
class RAMDetailView : public QWidget {
    Q_OBJECT
public:
    explicit RAMDetailView(std::shared_ptr<RAMMetricsSource> source, QWidget* parent = nullptr);
    ~RAMDetailView() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    struct ByteRow {
        QLabel* caption;
        QLabel* value;
    };

    void refresh();
    ByteRow makeRow(const QString& name, const QString& caption);

    std::shared_ptr<RAMMetricsSource> m_source;
    QLabel* m_titleIcon;
    // The title symbol is drawn again only for a new colour or pixel ratio.
    QColor m_titleColor;
    qreal m_titleRatio = 0.0;
    QLabel* m_waiting;
    QWidget* m_content;
    UsageBar* m_bar;
    QLabel* m_used;
    QFrame* m_divider;
    std::array<ByteRow, 5> m_rows;
};

} // namespace velto
