#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>

class QLabel;

namespace velto {

/// A gauge's reading in the status item: a symbol and a share as "%3.0f%%", both in
/// the load colour of that share. The share is read afresh on each refresh().
class PercentMenuBarView : public QWidget {
    Q_OBJECT
public:
    /// @p fraction gives the share to show, 0 to 1.
    PercentMenuBarView(QString symbolName, std::function<double()> fraction,
                       QWidget* parent = nullptr);
    ~PercentMenuBarView() override;

    /// Reads the share again and redraws what it changed.
    void refresh();

protected:
    void changeEvent(QEvent* event) override;

private:
    QString m_symbolName;
    std::function<double()> m_fraction;
    QLabel* m_icon;
    QLabel* m_value;
    // What the icon and the value were last drawn with: a tick that leaves them
    // alone redraws and relays nothing.
    QColor m_drawnColor;
    qreal m_drawnRatio = 0.0;
};

} // namespace velto
