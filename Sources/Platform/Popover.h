#pragma once

#include "Platform/PopoverPlacement.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <functional>
#include <memory>

class QWidget;

namespace velto::platform {

class PopoverWindow;

/**
 * A frameless popup window placed next to an anchor view, sized to its
 * content's size hint. With the transient behaviour it has Qt::Popup
 * semantics: it takes the pointer, and a press anywhere outside it closes it.
 * A press on the anchor's button closes it without reaching that button, so
 * the button's click cannot open it again at once.
 */
class Popover : public QObject {
    Q_OBJECT
public:
    enum class Behavior {
        ApplicationDefined = 0, ///< stays open until closed in code
        Transient = 1,          ///< closes on a press anywhere outside it
    };

    explicit Popover(QObject* parent = nullptr);
    ~Popover() override;

    /// The content, owned by the popover from now on; replaces earlier content.
    void setContent(std::unique_ptr<QWidget> content);
    QWidget* content() const;

    /// Runs each time a closed popover is about to be shown, before it is sized
    /// to its content: where content that is only needed once seen is made.
    void setAboutToShow(std::function<void()> aboutToShow);

    Behavior behavior() const { return m_behavior; }
    /// Takes effect on the next show.
    void setBehavior(Behavior behavior);

    bool isShown() const;
    /// Shows the popover at @p rect of @p anchor (the anchor's own coordinates),
    /// on the @p preferredEdge side, kept on the anchor's screen. A null anchor,
    /// or one not on screen, does nothing. Showing a shown popover moves it.
    void show(const QRectF& rect, QWidget* anchor, RectEdge preferredEdge);
    /// Closes the popover; a closed one stays closed and reports nothing.
    void performClose();

    /// The popup window, for tests and pictures.
    QWidget* window() const;
    QWidget* anchor() const { return m_anchor; }

Q_SIGNALS:
    /// After the popover closed, whoever closed it.
    void didClose(velto::platform::Popover* popover);

private:
    void windowHidden();

    std::unique_ptr<PopoverWindow> m_window;
    QPointer<QWidget> m_anchor;
    std::function<void()> m_aboutToShow;
    Behavior m_behavior = Behavior::ApplicationDefined;
    bool m_shown = false;
};

} // namespace velto::platform
